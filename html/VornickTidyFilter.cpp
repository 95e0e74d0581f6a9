#include "html/VornickTidyFilter.h"

#include "toolkit/VornickJSONResources.h"
#include "html/VornickHTMLCharacterEncodingDetector.h"
#include "html/VornickHTMLEncodingDeclarations.h"
#include "html/VornickTidyValidationAhead.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/ThreadPriority.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/TextEncodingLabels.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickRange.h"
#include "toolkit/VornickURLExtensions.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

namespace brevanton {

namespace {

struct TidyConfiguration {
    std::mutex lock;
    std::optional<std::string> executablePath;
    std::chrono::milliseconds timeout { 30000 };
    std::function<bool()> allowUserDefinedAttributes;
};

TidyConfiguration& configuration()
{
    static TidyConfiguration shared;
    return shared;
}

struct MessagePatterns {
    std::vector<RegularExpression> absolved;
    std::vector<std::pair<std::u16string, std::u16string>> substitutions;
};

const MessagePatterns& messagePatterns()
{
    static const MessagePatterns patterns = [] {
        MessagePatterns result;
        if (auto list = vornick_arrayOfRegularExpressionsFromJSONResource(u"tidy-absolved-message-patterns", 0))
            result.absolved = std::move(*list);
        if (auto map = vornick_dictionaryMappingStringsToStringsFromJSONResource(u"tidy-message-substitutions"))
            result.substitutions.assign(map->begin(), map->end());
        return result;
    }();
    return patterns;
}

bool matchesAnyPattern(const std::vector<RegularExpression>& patterns, std::u16string_view text)
{
    for (auto& pattern : patterns) {
        if (pattern.hasMatch(text))
            return true;
    }
    return false;
}

// A file in memory for tidy's report, private to one run and gone with its
// descriptor: nothing on disk is made or removed on the way to tidy's start.
class ReportFile {
public:
    ReportFile() : m_fd(::memfd_create("tidy-report", MFD_CLOEXEC)) {}
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int descriptor() const { return m_fd; }
    // Its contents, read through the process's own name for the descriptor.
    std::optional<std::string> read(size_t limit) const
    {
        return readFilePrefix("/proc/self/fd/" + std::to_string(m_fd), limit);
    }

private:
    int m_fd;
};

std::optional<int64_t> scanInteger(std::u16string_view line, size_t& i)
{
    while (i < line.size() && line[i] == u' ')
        ++i;
    size_t start = i;
    int64_t value = 0;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9' && i - start < 18)
        value = value * 10 + (line[i++] - u'0');
    if (i == start)
        return std::nullopt;
    return value;
}

bool scanWord(std::u16string_view line, size_t& i, std::u16string_view word)
{
    while (i < line.size() && line[i] == u' ')
        ++i;
    if (line.substr(i).starts_with(word)) {
        i += word.size();
        return true;
    }
    return false;
}

} // namespace

struct VornickTidyFilter::TidyRun {
    int status { -1 };
    bool ranToCompletion { false };
    bool stopped { false };
    std::string standardOutput;
    // Tidy's report: what it wrote to its report file, then to standard error.
    std::string standardError;
};

VornickTidyFilter::~VornickTidyFilter()
{
    // Nobody waits for the validation any more.
    stopValidation();
}

void VornickTidyFilter::stopValidation()
{
    if (m_validationQueue)
        m_validationQueue->cancelAllOperations();
    m_validationStop.request_stop();
    m_validationStop = std::stop_source();
}

std::string VornickTidyFilter::tidyExecutablePath()
{
    {
        std::lock_guard lock(configuration().lock);
        if (configuration().executablePath)
            return *configuration().executablePath;
    }
    if (auto path = Bundle::main().pathForResource(u"tidy", u""))
        return *path;
    return findExecutable("tidy");
}

void VornickTidyFilter::setTidyExecutablePath(std::optional<std::string> path)
{
    std::lock_guard lock(configuration().lock);
    configuration().executablePath = std::move(path);
}

std::chrono::milliseconds VornickTidyFilter::timeout()
{
    std::lock_guard lock(configuration().lock);
    return configuration().timeout;
}

void VornickTidyFilter::setTimeout(std::chrono::milliseconds timeout)
{
    std::lock_guard lock(configuration().lock);
    configuration().timeout = timeout;
}

void VornickTidyFilter::setAllowUserDefinedAttributesProvider(std::function<bool()> provider)
{
    std::lock_guard lock(configuration().lock);
    configuration().allowUserDefinedAttributes = std::move(provider);
}

std::vector<std::string> VornickTidyFilter::commonArguments()
{
    return { "-language", "en", "--new-inline-tags", "data,slot", "--new-blocklevel-tags", "search",
             "--custom-tags", "inline" };
}

std::vector<std::string> VornickTidyFilter::repairOptions()
{
    return { "--wrap", "0", "--tidy-mark", "no",
        // Repair structure only: the user's content stays as written.
        "--drop-empty-elements", "no", "--drop-empty-paras", "no", "--fix-uri", "no", "--fix-backslash", "no",
        "--literal-attributes", "yes", "--merge-divs", "no", "--merge-spans", "no", "--join-styles", "no",
        "--anchor-as-name", "no", "--fix-style-tags", "no" };
}

std::optional<VornickTidyFilter::TidyRun> VornickTidyFilter::runTidy(const std::vector<std::string>& arguments,
                                                                     std::string standardInput, Error* outError,
                                                                     std::stop_token stop)
{
    std::string path = tidyExecutablePath();
    if (path.empty()) {
        setError(outError, Error(POSIXErrorDomain, ENOENT, u"The tidy executable was not found."));
        return std::nullopt;
    }
    // Tidy writes its report to standard error one byte per system call;
    // to a file it writes through a buffer, several times faster. The report
    // file is in memory, tidy's descriptor 3; without one, standard error serves.
    ReportFile report;
    ProcessLaunch launch;
    launch.executable = path;
    if (report.descriptor() >= 0) {
        launch.arguments = { "-f", "/dev/fd/3" };
        launch.extraDescriptor = report.descriptor();
    }
    launch.arguments.insert(launch.arguments.end(), arguments.begin(), arguments.end());
    launch.environment["HTML_TIDY"] = std::nullopt;
    launch.environment["HOME"] = "/dev/null";
    launch.environment["LC_ALL"] = "C.UTF-8";
    launch.standardInput = std::move(standardInput);
    launch.timeout = timeout();
    launch.stop = std::move(stop);
    launch.outputLimit = maximumOutputSize;
    // Tidy writes no file past the most that is read of one (its report, a
    // repaired copy): a run that would is ended, not kept in memory.
    launch.fileSizeLimit = maximumOutputSize + 1;
    auto result = Process::run(launch, outError);
    if (!result)
        return std::nullopt;
    TidyRun run;
    run.ranToCompletion = result->exited() && !result->timedOut && !result->stopped && !result->exceededOutputLimit;
    run.stopped = result->stopped;
    run.status = run.ranToCompletion ? result->exitStatus : -1;
    run.standardOutput = std::move(result->standardOutput);
    if (report.descriptor() >= 0 && run.ranToCompletion) {
        // The report is read up to the size any output is read.
        run.standardError = report.read(maximumOutputSize + 1).value_or(std::string());
        if (run.standardError.size() > maximumOutputSize) {
            run.standardError.resize(maximumOutputSize);
            run.standardError.erase(run.standardError.rfind('\n') + 1);
        }
    }
    run.standardError += result->standardError;
    return run;
}

VornickTidyResultCode VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(int status)
{
    if (status < 0 || status > 3)
        return VornickTidyResultCode::NotValidated;
    return static_cast<VornickTidyResultCode>(status);
}

OperationQueue& VornickTidyFilter::validationQueue()
{
    if (!m_validationQueue)
        m_validationQueue = std::make_unique<OperationQueue>("Source Loupe HTML Validation Queue", 1);
    return *m_validationQueue;
}

VornickTidyResultCode VornickTidyFilter::validateHTMLStringNow(std::u16string_view htmlString,
                                                               std::vector<VornickValidationAdvisory>& advisories)
{
    return resultOfValidationRun(*runValidation(toUTF8(htmlString)), advisories);
}

namespace {

// A repair made ahead: its copy goes with it unless it was taken.
struct RepairMadeAhead {
    VornickTidyRepairAhead made;
    // Made by the check's own run.
    bool madeByTheCheck { false };
    mutable std::atomic<bool> taken { false };

    ~RepairMadeAhead()
    {
        if (!taken && made.copy)
            (void)removeItem(*made.copy->fileSystemPath());
    }
};

std::optional<URL> repairedCopyURLFor(const LoadedDocument& document)
{
    auto extension = document.url().pathExtension();
    return vornick_temporaryFileURLWithPathExtension(extension.empty() ? u"html" : extension);
}

// Tidy's repair of the document's file into a copy of its own.
std::shared_ptr<const void> repairOfDocument(const LoadedDocument& document, std::stop_token stop)
{
    auto copy = repairedCopyURLFor(document);
    if (!copy || document.hasByteOrderMark()) {
        if (copy)
            (void)removeItem(*copy->fileSystemPath());
        return nullptr;
    }
    auto repair = std::make_shared<RepairMadeAhead>();
    repair->made.copy = copy;
    // The encoding the file declares is looked for in its bytes as read.
    repair->made.succeeded = VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(document.url(), *copy, &repair->made.result,
                                                                                  &repair->made.advisories, nullptr, std::move(stop),
                                                                                  document.bytes());
    return repair;
}

} // namespace

void VornickStartTidyValidationAhead(LoadedDocument& loaded)
{
    std::stop_source stop;
    // The loaded document waits for its check before it goes.
    auto* document = &loaded;
    // When tidy reads the file's bytes as they are in UTF-8, the check's run
    // writes the repaired copy too: one tidy run for both. Whether it does is
    // known for sure once the text is decoded (it must be the bytes).
    std::shared_ptr<RepairMadeAhead> repair;
    auto sourcePath = loaded.url().fileSystemPath();
    if (!loaded.repair().valid() && sourcePath && VornickTidyFilter::readsBytesAsDeclared(loaded.bytes(), loaded.syntax())) {
        if (auto copy = repairedCopyURLFor(loaded)) {
            repair = std::make_shared<RepairMadeAhead>();
            repair->made.copy = std::move(copy);
        }
    }
    auto run = std::async(std::launch::async, [document, stop = stop.get_token(), repair, sourcePath]() -> std::shared_ptr<const void> {
        // The patterns that classify tidy's messages are read and compiled
        // meanwhile, so that whoever reads the report finds them ready.
        auto patterns = std::async(std::launch::async, [] { messagePatterns(); });
        // Tidy never reads a file with a byte-order mark as the page does.
        const auto& text = document->decoded().utf8;
        if (document->hasByteOrderMark() || text.empty())
            return nullptr;
        if (!repair || text != document->bytes())
            return VornickTidyFilter::runValidation(text, stop);
        auto copyPath = *repair->made.copy->fileSystemPath();
        auto validation = VornickTidyFilter::runValidation(text, stop, &copyPath);
        repair->made.succeeded = VornickTidyFilter::finishRepairOfRun(
            validation->ranToCompletion, validation->status, validation->report, *sourcePath, document->bytes(), copyPath,
            &repair->made.result, &repair->made.advisories, nullptr);
        repair->madeByTheCheck = true;
        return validation;
    });
    auto check = run.share();
    loaded.setCheck(check, stop);
    if (!repair)
        return;
    // The repair is the check's, once it ended; when the check could not make
    // it after all, it is made when taken.
    std::stop_source repairStop;
    auto made = std::async(std::launch::deferred, [check, repair, document, stop = repairStop.get_token()]() -> std::shared_ptr<const void> {
        check.wait();
        if (repair->madeByTheCheck)
            return repair;
        return repairOfDocument(*document, stop);
    });
    loaded.setRepair(made.share(), std::move(repairStop));
}

std::shared_ptr<const VornickTidyFilter::ValidationRun> VornickTidyValidationAheadOf(const LoadedDocument& loaded,
                                                                                     std::stop_token stop)
{
    auto check = loaded.check();
    if (!check.valid())
        return nullptr;
    // A stop requested of the caller's run is passed on to the one started
    // ahead as it is requested, while this waits.
    std::stop_callback passOn(stop, [aheadStop = loaded.checkStop()]() mutable { aheadStop.request_stop(); });
    return std::static_pointer_cast<const VornickTidyFilter::ValidationRun>(check.get());
}

void VornickTidyFilter::lowerRepairThreadPriority()
{
    lowerCurrentThreadPriority(RepairThreadNiceIncrement);
}

void VornickStartTidyRepairAhead(LoadedDocument& loaded)
{
    // The check started ahead makes it already.
    if (loaded.repair().valid())
        return;
    std::stop_source stop;
    // The loaded document waits for its repair before it goes.
    auto* document = &loaded;
    auto run = VornickTidyFilter::startRepairThread<std::shared_ptr<const void>>(
        [document, stop = stop.get_token()] { return repairOfDocument(*document, stop); });
    loaded.setRepair(std::move(run), std::move(stop));
}

std::optional<VornickTidyRepairAhead> VornickTakeTidyRepairAhead(const LoadedDocument& loaded, std::stop_token stop)
{
    auto repair = loaded.repair();
    if (!repair.valid())
        return std::nullopt;
    // A stop requested of the caller's repair is passed on to the one started
    // ahead as it is requested: a stopped repair is waited for, and ends at once.
    std::stop_callback passOn(stop, [aheadStop = loaded.repairStop()]() mutable { aheadStop.request_stop(); });
    auto made = std::static_pointer_cast<const RepairMadeAhead>(repair.get());
    if (!made || made->taken.exchange(true))
        return std::nullopt;
    return made->made;
}

std::shared_ptr<const VornickTidyFilter::ValidationRun> VornickTidyFilter::runValidation(std::string utf8Text,
                                                                                         std::stop_token stop,
                                                                                         const std::string* repairedCopyPath)
{
    auto validation = std::make_shared<ValidationRun>();
    if (stop.stop_requested()) {
        validation->text = std::move(utf8Text);
        validation->stopped = true;
        return validation;
    }
    auto arguments = commonArguments();
    if (repairedCopyPath)
        arguments.insert(arguments.end(), { "-q", "-utf8", "-o", *repairedCopyPath });
    else
        arguments.insert(arguments.end(), { "-q", "-e", "-utf8" });
    auto options = repairOptions();
    arguments.insert(arguments.end(), options.begin(), options.end());
    auto run = runTidy(arguments, utf8Text, nullptr, std::move(stop));
    validation->text = std::move(utf8Text);
    if (run) {
        validation->ranToCompletion = run->ranToCompletion;
        validation->stopped = run->stopped;
        validation->status = run->status;
        validation->report = std::move(run->standardError);
    }
    return validation;
}

VornickTidyResultCode VornickTidyFilter::resultOfValidationRun(const ValidationRun& run,
                                                               std::vector<VornickValidationAdvisory>& advisories)
{
    auto result = readValidationRun(run);
    advisories = std::move(result.advisories);
    return result.code;
}

VornickTidyFilter::ValidationResult VornickTidyFilter::readValidationRun(const ValidationRun& run)
{
    ValidationResult result;
    result.allowedUserDefinedAttributes = allowsUserDefinedAttributes();
    if (!run.ranToCompletion)
        return result;
    size_t recognisedLines = 0;
    result.advisories = parseTidyStandardErrorOutput(toUTF16(run.report), recognisedLines, result.allowedUserDefinedAttributes);
    if (run.status > 0 && recognisedLines == 0)
        result.code = VornickTidyResultCode::NotValidated; // Tidy complained in words we could not read: nothing is known.
    else if (result.advisories.empty())
        result.code = VornickTidyResultCode::NoFindings;
    else
        result.code = tidyResultCodeFromTidyTerminationStatus(run.status);
    return result;
}

void VornickTidyFilter::rememberValidationRun(std::shared_ptr<const ValidationRun> run)
{
    constexpr size_t kept = 4;
    if (!run || !run->ranToCompletion)
        return;
    if (m_rememberedRuns.size() >= kept)
        m_rememberedRuns.erase(m_rememberedRuns.begin());
    m_rememberedRuns.push_back({ std::move(run), std::nullopt, nullptr });
}

void VornickTidyFilter::rememberValidationRun(std::shared_ptr<const ValidationRun> run, ValidationResult result,
                                              std::shared_ptr<const std::u16string> checkedString)
{
    if (!run || !run->ranToCompletion)
        return;
    rememberValidationRun(std::move(run));
    m_rememberedRuns.back().result = std::move(result);
    m_rememberedRuns.back().checkedString = std::move(checkedString);
}

void VornickTidyFilter::validateHTMLString(std::u16string htmlString, ValidationCompletion completion)
{
    validateHTMLString(std::make_shared<const std::u16string>(std::move(htmlString)), std::move(completion));
}

void VornickTidyFilter::validateHTMLString(std::shared_ptr<const std::u16string> htmlString, ValidationCompletion completion)
{
    if (tidyExecutablePath().empty()) {
        // Without tidy nothing is validated: said at once, not waited for.
        OperationQueue::main().addOperation([htmlString = std::move(htmlString), completion = std::move(completion)] {
            completion(*htmlString, VornickTidyResultCode::NotValidated, {});
        });
        return;
    }
    auto& queue = validationQueue();
    queue.cancelAllOperations();
    // The runs already made serve this request only; they are compared in
    // the background, where the text is converted for tidy anyway.
    auto remembered = std::move(m_rememberedRuns);
    m_rememberedRuns.clear();
    queue.addOperation([htmlString = std::move(htmlString), completion = std::move(completion), remembered = std::move(remembered),
                        last = m_lastRun, stop = m_validationStop.get_token()] {
        // The very string a remembered run checked (the page as loaded)
        // takes its result as read, unless the setting it was read under changed.
        for (const auto& candidate : remembered) {
            if (candidate.checkedString != htmlString || !candidate.result
                || candidate.result->allowedUserDefinedAttributes != allowsUserDefinedAttributes())
                continue;
            {
                std::lock_guard lock(last->lock);
                last->run = nullptr;
            }
            OperationQueue::main().addOperation([htmlString, code = candidate.result->code, advisories = candidate.result->advisories,
                                                 completion] { completion(*htmlString, code, advisories); });
            return;
        }
        std::string text = toUTF8(*htmlString);
        std::shared_ptr<const ValidationRun> run;
        for (const auto& candidate : remembered) {
            if (candidate.run->text == text)
                run = candidate.run;
        }
        {
            // Each run answers one further request, as a remembered run does.
            std::lock_guard lock(last->lock);
            auto lastRun = std::exchange(last->run, nullptr);
            if (!run && lastRun && lastRun->text == text)
                run = std::move(lastRun);
        }
        if (!run) {
            run = runValidation(std::move(text), stop);
            if (run->stopped || stop.stop_requested())
                return;
            if (run->ranToCompletion) {
                std::lock_guard lock(last->lock);
                last->run = run;
            }
        }
        std::vector<VornickValidationAdvisory> advisories;
        VornickTidyResultCode code = resultOfValidationRun(*run, advisories);
        OperationQueue::main().addOperation([htmlString, code, advisories = std::move(advisories), completion] {
            completion(*htmlString, code, advisories);
        });
    });
}

std::optional<std::string> VornickTidyFilter::tidyEncodingOptionForCharacterSetName(std::u16string_view name, Error* outError)
{
    auto converterName = textEncodingConverterName(name);
    if (!converterName) {
        setError(outError, Error(VornickErrorDomain, VornickUnknownCharacterEncodingNameError));
        return std::nullopt;
    }
    static const std::map<std::string, std::string> options {
        { "UTF-8", "-utf8" }, { "ISO-8859-1", "-latin1" }, { "windows-1252", "-win1252" }, { "US-ASCII", "-ascii" },
        { "macintosh", "-mac" }, { "UTF-16", "-utf16" }, { "UTF-16BE", "-utf16be" }, { "UTF-16LE", "-utf16le" },
        { "Shift_JIS", "-shiftjis" }, { "Big5", "-big5" }, { "ISO-2022-JP", "-iso2022" }, { "ISO-2022-JP-1", "-iso2022" },
        { "ISO-2022-JP-2", "-iso2022" }, { "ISO-2022-CN", "-iso2022" }, { "ISO-2022-CN-EXT", "-iso2022" },
        { "ISO-2022-KR", "-iso2022" },
    };
    // Compare IANA names; ICU's own names are mapped to them first.
    std::u16string key = standardTextEncodingName(*converterName, TextEncodingNameStandard::IANA).value_or(*converterName);
    for (auto& [iana, option] : options) {
        if (equalsIgnoringASCIICase(toUTF16(iana), key))
            return option;
    }
    // ICU's own names for the same encodings.
    static const std::map<std::string, std::string> icuNames {
        { "utf-8", "-utf8" }, { "iso-8859-1", "-latin1" }, { "ibm-5348_p100-1997", "-win1252" },
        { "us-ascii", "-ascii" }, { "macos-0_2-10.2", "-mac" }, { "utf-16", "-utf16" }, { "utf-16be", "-utf16be" },
        { "utf-16le", "-utf16le" }, { "ibm-943_p15a-2003", "-shiftjis" }, { "windows-950-2000", "-big5" },
    };
    auto found = icuNames.find(toUTF8(asciiLowercase(*converterName)));
    if (found != icuNames.end())
        return found->second;
    setError(outError, Error(VornickErrorDomain, VornickNoTidyInputOptionForEncodingError));
    return std::nullopt;
}

bool VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(const URL& sourceFileURL, const URL& destinationFileURL,
                                                           VornickTidyResultCode* tidyResult,
                                                           std::vector<VornickValidationAdvisory>* warningsAndErrors, Error* outError,
                                                           std::stop_token stop, std::optional<std::string_view> sourceBytes)
{
    auto sourcePath = sourceFileURL.fileSystemPath();
    auto destinationPath = destinationFileURL.fileSystemPath();
    if (tidyResult)
        *tidyResult = VornickTidyResultCode::NotValidated;
    if (!sourcePath || !destinationPath)
        return setError(outError, Error(POSIXErrorDomain, EINVAL, u"Tidy works on local files only."));

    auto characterSet = sourceBytes
        ? VornickHTMLCharacterEncodingDetector().detectIANACharacterEncodingDeclarationInHTMLData(*sourceBytes)
        : VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLFileAtURL(sourceFileURL);
    if (!characterSet)
        return setError(outError, Error(VornickErrorDomain, VornickNoDeclaredCharacterEncodingError));
    auto syntax = DOMDocument::isXMLPath(toUTF16(*sourcePath)) ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
    auto encodingOption = tidyEncodingOptionForCharacterSetName(encodingOfDeclaredCharacterSet(*characterSet, syntax), outError);
    if (!encodingOption)
        return false;

    auto arguments = commonArguments();
    arguments.insert(arguments.end(), { *encodingOption, "-q", "-o", *destinationPath });
    auto options = repairOptions();
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(*sourcePath);
    auto run = runTidy(arguments, {}, outError, std::move(stop));
    if (!run)
        return false;
    return finishRepairOfRun(run->ranToCompletion, run->status, run->standardError, *sourcePath, sourceBytes, *destinationPath,
                             tidyResult, warningsAndErrors, outError);
}

bool VornickTidyFilter::finishRepairOfRun(bool ranToCompletion, int status, const std::string& report, const std::string& sourcePath,
                                          std::optional<std::string_view> sourceBytes, const std::string& destinationPath,
                                          VornickTidyResultCode* tidyResult, std::vector<VornickValidationAdvisory>* warningsAndErrors,
                                          Error* outError)
{
    if (tidyResult)
        *tidyResult = VornickTidyResultCode::NotValidated;
    if (!ranToCompletion)
        return setError(outError, Error(VornickErrorDomain, VornickTidyFailedError, Dictionary { { u"status", Value(int64_t(status)) } }));

    // The report was read whole; it is parsed even when the caller wants no
    // advisories, to tell output that did not parse.
    size_t recognisedLines = 0;
    auto advisories = parseTidyStandardErrorOutput(toUTF16(report), recognisedLines, allowsUserDefinedAttributes());
    VornickTidyResultCode code = tidyResultCodeFromTidyTerminationStatus(status);
    if (status > 0 && recognisedLines == 0)
        code = VornickTidyResultCode::NotValidated;
    if (tidyResult)
        *tidyResult = code;
    if (warningsAndErrors)
        *warningsAndErrors = std::move(advisories);
    if (status >= 2)
        return false;
    return keepEncodingDeclarationsOfSource(sourcePath, sourceBytes, destinationPath, outError);
}

bool VornickTidyFilter::readsBytesAsDeclared(std::string_view bytes, DocumentTextSyntax syntax)
{
    // Tidy reads a byte-order mark as no page does.
    if (bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xFF\xFE"))
        return false;
    auto characterSet = VornickHTMLCharacterEncodingDetector().detectIANACharacterEncodingDeclarationInHTMLData(bytes);
    if (!characterSet)
        return false;
    auto option = tidyEncodingOptionForCharacterSetName(encodingOfDeclaredCharacterSet(*characterSet, syntax), nullptr);
    return option && *option == "-utf8";
}

std::u16string VornickTidyFilter::encodingOfDeclaredCharacterSet(std::u16string_view label, DocumentTextSyntax syntax)
{
    if (syntax != DocumentTextSyntax::HTML)
        return std::u16string(label);
    auto encoding = textEncodingForLabel(label);
    if (!encoding)
        return std::u16string(label);
    // Found in the bytes as ASCII, a UTF-16 label cannot be true.
    if (isUTF16Encoding(*encoding))
        return u"UTF-8";
    return *encoding;
}

bool VornickTidyFilter::keepEncodingDeclarationsOfSource(const std::string& sourcePath, std::optional<std::string_view> sourceBytes,
                                                         const std::string& destinationPath, Error* outError)
{
    // The declarations stand in the head, well within a file's first
    // megabyte: a copy whose first megabyte needs no change is not read whole.
    constexpr size_t headBytes = size_t(1) << 20;
    std::optional<std::string> readSource;
    if (!sourceBytes) {
        readSource = readFilePrefix(sourcePath, headBytes, outError);
        if (!readSource)
            return false;
        sourceBytes = *readSource;
    }
    sourceBytes = sourceBytes->substr(0, headBytes);
    auto head = readFilePrefix(destinationPath, headBytes, outError);
    if (!head)
        return false;
    if (!VornickHTMLDataWithEncodingDeclarationsOf(*head, *sourceBytes))
        return true;
    auto copy = head->size() < headBytes ? std::move(head) : readFile(destinationPath, outError, FileReadKind::Document);
    if (!copy)
        return false;
    auto restored = VornickHTMLDataWithEncodingDeclarationsOf(*copy, *sourceBytes);
    return !restored || writeFileAtomically(destinationPath, *restored, outError);
}

std::optional<std::u16string> VornickTidyFilter::tidyHTMLString(std::u16string_view htmlString, bool returningBodyOnly,
                                                                std::u16string* standardErrorOutput, Error* outError)
{
    auto arguments = commonArguments();
    arguments.insert(arguments.end(), { "-utf8", "-q", "--wrap", "0" });
    if (returningBodyOnly)
        arguments.insert(arguments.end(), { "--show-body-only", "yes" });
    std::u16string leadingComments = leadingCommentTextForHTMLString(htmlString);
    auto run = runTidy(arguments, toUTF8(htmlString), outError);
    if (!run)
        return std::nullopt;
    if (standardErrorOutput)
        *standardErrorOutput = toUTF16(run->standardError);
    if (!run->ranToCompletion || run->status >= 2) {
        setError(outError, Error(VornickErrorDomain, VornickTidyFailedError, Dictionary { { u"status", Value(int64_t(run->status)) } }));
        return std::nullopt;
    }
    std::u16string output = toUTF16(run->standardOutput);
    if (!leadingComments.empty() && !output.empty())
        return leadingComments + output;
    return output;
}

std::vector<VornickValidationAdvisory> VornickTidyFilter::parseTidyStandardErrorOutput(std::u16string_view text)
{
    size_t recognisedLines = 0;
    return parseTidyStandardErrorOutput(text, recognisedLines, allowsUserDefinedAttributes());
}

bool VornickTidyFilter::allowsUserDefinedAttributes()
{
    std::lock_guard lock(configuration().lock);
    if (configuration().allowUserDefinedAttributes)
        return configuration().allowUserDefinedAttributes();
    return UserDefaults::standard().boolForKey(VornickAllowUserDefinedAttributesDefaultsKey);
}

std::vector<VornickValidationAdvisory> VornickTidyFilter::parseTidyStandardErrorOutput(std::u16string_view text, size_t& recognisedLines,
                                                                                       bool allowUserDefinedAttributes)
{
    std::vector<VornickValidationAdvisory> advisories;
    recognisedLines = 0;
    auto& patterns = messagePatterns();
    struct ClassifiedMessage {
        std::u16string message;
        bool structural { false };
    };
    std::unordered_map<std::u16string, ClassifiedMessage> classifiedMessages;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find(u'\n', lineStart);
        if (lineEnd == std::u16string_view::npos)
            lineEnd = text.size();
        std::u16string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);

        size_t i = 0;
        if (!scanWord(line, i, u"line"))
            continue;
        auto lineNumber = scanInteger(line, i);
        if (!lineNumber || !scanWord(line, i, u"column"))
            continue;
        auto columnNumber = scanInteger(line, i);
        if (!columnNumber)
            continue;
        scanWord(line, i, u"-");
        VornickValidationAdvisoryKind kind;
        if (scanWord(line, i, u"Warning"))
            kind = VornickValidationAdvisoryKind::Warning;
        else if (scanWord(line, i, u"Error"))
            kind = VornickValidationAdvisoryKind::Error;
        else
            continue;
        scanWord(line, i, u":");
        while (i < line.size() && line[i] == u' ')
            ++i;
        std::u16string message(line.substr(i));
        if (message.empty())
            continue;
        ++recognisedLines;
        if (allowUserDefinedAttributes && message.find(u"proprietary attribute") != std::u16string::npos)
            continue;
        // A large page repeats a few messages thousands of times: each is
        // classified and substituted once.
        auto [entry, added] = classifiedMessages.try_emplace(std::move(message));
        if (added) {
            entry->second.structural = !matchesAnyPattern(patterns.absolved, entry->first);
            entry->second.message = entry->first;
            for (auto& [key, value] : patterns.substitutions) {
                size_t found = key.empty() ? std::u16string::npos : entry->second.message.find(key);
                if (found != std::u16string::npos) {
                    entry->second.message.replace(found, key.size(), value);
                    break;
                }
            }
        }
        advisories.emplace_back(kind, 0, *lineNumber, *columnNumber, entry->second.message, entry->second.structural);
    }
    return advisories;
}

std::u16string VornickTidyFilter::leadingCommentTextForHTMLString(std::u16string_view string)
{
    std::u16string result;
    size_t i = 0;
    auto skipSpaces = [&] {
        while (i < string.size() && isHTMLWhitespace(string[i]))
            ++i;
    };
    skipSpaces();
    while (i + 1 < string.size() && string[i] == u'<' && string[i + 1] == u'!') {
        std::u16string_view rest = string.substr(i + 2);
        if (rest.size() >= 7 && equalsIgnoringASCIICase(rest.substr(0, 7), u"DOCTYPE")) {
            size_t close = string.find(u'>', i);
            if (close == std::u16string_view::npos)
                break;
            i = close + 1;
        } else if (rest.starts_with(u"--")) {
            size_t close = string.find(u"-->", i + 4);
            if (close == std::u16string_view::npos)
                break; // An unterminated comment is not copied.
            result += u"<!";
            result += string.substr(i + 2, close - (i + 2));
            result += u"-->";
            i = close + 3;
        } else
            break;
        skipSpaces();
    }
    if (!result.empty())
        result += u'\n';
    return result;
}

size_t VornickTidyFilter::offsetForTidyLineAndColumn(std::u16string_view text, int64_t line, int64_t column)
{
    if (line < 1 || column < 1)
        return VornickNotFound;
    size_t i = 0;
    for (int64_t current = 1; current < line; ++current) {
        size_t newline = text.find(u'\n', i);
        if (newline == std::u16string_view::npos)
            return VornickNotFound;
        i = newline + 1;
    }
    int64_t currentColumn = 1;
    while (currentColumn < column && i < text.size() && text[i] != u'\n') {
        if (text[i] == u'\t')
            currentColumn = ((currentColumn - 1) / 8 + 1) * 8 + 1;
        else
            ++currentColumn;
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            ++i;
        ++i;
    }
    return i;
}

} // namespace brevanton
