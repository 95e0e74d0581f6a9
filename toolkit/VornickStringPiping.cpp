#include "toolkit/VornickStringPiping.h"

#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <cerrno>

namespace brevanton {

std::optional<std::u16string> vornick_stringByPipingThroughExecutableAtPath(
    std::u16string_view string, const std::string& path, const std::vector<std::string>* arguments,
    const std::map<std::string, std::string>* environment, const std::string* currentDirectoryPath,
    std::u16string* standardErrorOutput, int* terminationStatus, Error* outError)
{
    ProcessLaunch launch;
    launch.executable = path;
    if (arguments)
        launch.arguments = *arguments;
    if (environment) {
        launch.inheritEnvironment = false;
        for (const auto& [name, value] : *environment)
            launch.environment[name] = value;
    }
    if (currentDirectoryPath)
        launch.workingDirectory = *currentDirectoryPath;
    launch.standardInput = toUTF8(string);
    launch.timeout = VornickStringPipingTimeout;

    auto result = Process::run(launch, outError);
    if (!result)
        return std::nullopt;
    if (result->timedOut || result->exceededOutputLimit) {
        setError(outError, Error::posix(result->timedOut ? ETIMEDOUT : EFBIG,
                                        u"\u201C" + toUTF16(path)
                                            + (result->timedOut ? u"\u201D did not finish in time" : u"\u201D wrote more output than is read")));
        return std::nullopt;
    }
    if (standardErrorOutput)
        *standardErrorOutput = toUTF16(result->standardError);
    if (terminationStatus)
        *terminationStatus = result->terminationSignal ? result->terminationSignal : result->exitStatus;
    return toUTF16(result->standardOutput);
}

} // namespace brevanton
