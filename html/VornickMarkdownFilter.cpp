#include "html/VornickMarkdownFilter.h"

#include "toolkit/VornickErrors.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

namespace brevanton {

static constexpr std::u16string_view markdownScriptName = u"Markdown";
static constexpr std::u16string_view smartyPantsScriptName = u"SmartyPants";
static constexpr std::u16string_view scriptExtension = u"pl";

static Error scriptError(int64_t code, std::u16string_view scriptName, std::u16string description)
{
    Error error(VornickErrorDomain, code, std::move(description));
    error.userInfo()[VornickMarkdownScriptNameKey] = Value(std::u16string(scriptName));
    return error;
}

// The launch of one script over `input`, or nothing when the script is missing.
static std::optional<ProcessLaunch> launchForScript(const Bundle& bundle, std::u16string_view scriptName, std::string input,
                                                    std::chrono::milliseconds timeout, Error* outError)
{
    auto path = bundle.pathForExecutableResource(scriptName, scriptExtension);
    if (!path) {
        setError(outError, scriptError(VornickMarkdownScriptMissingError, scriptName,
                                       u"The " + std::u16string(scriptName) + u" script was not found."));
        return std::nullopt;
    }
    ProcessLaunch launch;
    launch.executable = *path;
    // Scripts written in Python read and write in the locale's encoding unless told otherwise.
    launch.environment["PYTHONIOENCODING"] = "utf-8";
    launch.standardInput = std::move(input);
    launch.timeout = timeout;
    return launch;
}

// The script's output when it ran to a successful end.
static std::optional<std::string> outputOfScript(std::u16string_view scriptName, std::optional<ProcessResult> result,
                                                 const Error& launchError, Error* outError)
{
    if (!result) {
        Error error = scriptError(VornickMarkdownScriptFailedError, scriptName,
                                  u"The " + std::u16string(scriptName) + u" script could not be started.");
        error.setUnderlyingError(launchError);
        setError(outError, std::move(error));
        return std::nullopt;
    }
    if (result->succeeded())
        return std::move(result->standardOutput);

    Error error;
    if (result->timedOut) {
        error = scriptError(VornickMarkdownScriptTimedOutError, scriptName,
                            u"The " + std::u16string(scriptName) + u" script took too long and was stopped.");
    } else if (result->terminationSignal) {
        error = scriptError(VornickMarkdownScriptFailedError, scriptName,
                            u"The " + std::u16string(scriptName) + u" script was ended by signal "
                                + toUTF16(std::to_string(result->terminationSignal)) + u".");
        error.userInfo()[VornickMarkdownTerminationSignalKey] = Value(static_cast<int64_t>(result->terminationSignal));
    } else {
        error = scriptError(VornickMarkdownScriptFailedError, scriptName,
                            u"The " + std::u16string(scriptName) + u" script failed with status "
                                + toUTF16(std::to_string(result->exitStatus)) + u".");
        error.userInfo()[VornickMarkdownExitStatusKey] = Value(static_cast<int64_t>(result->exitStatus));
    }
    error.userInfo()[VornickMarkdownStandardErrorKey] = Value(toUTF16(result->standardError));
    setError(outError, std::move(error));
    return std::nullopt;
}

static std::optional<std::string> runScript(const Bundle& bundle, std::u16string_view scriptName, std::string input,
                                            std::chrono::milliseconds timeout, Error* outError)
{
    auto launch = launchForScript(bundle, scriptName, std::move(input), timeout, outError);
    if (!launch)
        return std::nullopt;
    Error launchError;
    auto result = Process::run(*launch, &launchError);
    return outputOfScript(scriptName, std::move(result), launchError, outError);
}

std::optional<std::u16string> VornickMarkdownFilter::htmlStringFromMarkdownString(std::u16string_view markdownString,
                                                                                  bool useSmartyPants, Error* outError)
{
    return htmlStringFromMarkdownString(markdownString, useSmartyPants, Bundle::main(), DefaultTimeout, outError);
}

std::optional<std::u16string> VornickMarkdownFilter::htmlStringFromMarkdownString(std::u16string_view markdownString,
                                                                                  bool useSmartyPants, const Bundle& bundle,
                                                                                  std::chrono::milliseconds timeout, Error* outError)
{
    auto html = runScript(bundle, markdownScriptName, toUTF8(markdownString), timeout, outError);
    if (!html)
        return std::nullopt;
    if (useSmartyPants) {
        html = runScript(bundle, smartyPantsScriptName, std::move(*html), timeout, outError);
        if (!html)
            return std::nullopt;
    }
    return toUTF16(*html);
}

void VornickMarkdownFilter::beginConvertingMarkdownString(std::u16string markdownString, bool useSmartyPants, Completion completion)
{
    beginConvertingMarkdownString(std::move(markdownString), useSmartyPants, Bundle::main(), DefaultTimeout, std::move(completion));
}

static OperationQueue& markdownQueue()
{
    // Never destroyed: scripts still running at exit must not hold up its end.
    static OperationQueue* queue = new OperationQueue("Markdown Filter Queue", OperationQueue::DefaultMaxConcurrentOperationCount);
    return *queue;
}

void VornickMarkdownFilter::beginConvertingMarkdownString(std::u16string markdownString, bool useSmartyPants, const Bundle& bundle,
                                                          std::chrono::milliseconds timeout, Completion completion)
{
    // Text conversions and both scripts run on the worker; the main loop only gets the result.
    markdownQueue().addOperation([markdownString = std::move(markdownString), useSmartyPants, bundle = &bundle, timeout,
                                  completion = std::move(completion)]() mutable {
        Error error;
        auto html = htmlStringFromMarkdownString(markdownString, useSmartyPants, *bundle, timeout, &error);
        RunLoop::main().perform([completion = std::move(completion), html = std::move(html), error = std::move(error)]() mutable {
            if (completion)
                completion(std::move(html), std::move(error));
        });
    });
}

} // namespace brevanton
