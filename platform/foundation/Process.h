// Process: runs an executable as a child process (posix_spawn; vfork and
// exec when it has a file size limit) with arguments, environment, working
// directory and standard input, collecting its standard output and standard
// error. Standard input is written while both outputs are drained, so no
// amount of data in either direction can deadlock. A child that cannot be launched is an Error, never an exception.
// A child runs in a process group of its own; a timeout, a stop asked for or
// output past its limit kill the whole group, and the child is always
// waited for (no zombie is left). The run sleeps in poll(2) on the pipes, an
// eventfd a stop request writes to and a pidfd of the child: it wakes for
// those and for its deadline only, never to look for a stop.
#pragma once

#include "platform/foundation/Error.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace brevanton {

struct ProcessLaunch {
    // An absolute or relative path; a bare name (no "/") is looked up on PATH.
    std::string executable;
    // The arguments after argv[0] (argv[0] is the executable as given).
    std::vector<std::string> arguments;
    // When false the child starts with an empty environment.
    bool inheritEnvironment { true };
    // Variables set (a value) or removed (std::nullopt) on top of the inherited ones.
    std::map<std::string, std::optional<std::string>> environment;
    // Empty: the current directory.
    std::string workingDirectory;
    // Bytes written to the child's standard input, which is then closed.
    std::string standardInput;
    // When set, the child is killed (SIGKILL) once this much time has passed.
    std::optional<std::chrono::milliseconds> timeout;
    // When given, a stop requested of its source from any thread kills the
    // child at once (the request wakes the run); the run then ends with `stopped`.
    std::stop_token stop;
    // A descriptor of this process that the child gets as its descriptor 3
    // (-1: none), such as a file in memory it is told to write to.
    int extraDescriptor { -1 };
    // The most bytes read of each of standard output and standard error: a
    // child writing more is killed, and the run ends with `exceededOutputLimit`.
    size_t outputLimit { ProcessDefaultOutputLimit };
    // When set, no file the child writes, a file in memory it was handed
    // included, grows past this many bytes: a write beyond ends the child
    // (SIGXFSZ). The limit is the child's own, in place before its program
    // runs (such a child is started with vfork and exec, as posix_spawn sets
    // no limits), so it holds for the child's very first write.
    std::optional<uint64_t> fileSizeLimit;
    // When true, the child's end is waited for as where the system gives no
    // pidfd (an old kernel, a sandbox refusing the call): looked for every
    // ten milliseconds. For tests of that way.
    bool waitsWithoutPidfd { false };

    static constexpr size_t ProcessDefaultOutputLimit = size_t(256) << 20;
};

struct ProcessResult {
    // The exit status when the child exited, otherwise -1.
    int exitStatus { -1 };
    // The signal that ended the child, 0 when it exited.
    int terminationSignal { 0 };
    // True when the child was killed because the timeout passed.
    bool timedOut { false };
    // True when the child was killed because a stop was asked for.
    bool stopped { false };
    // True when the child was killed for writing more than the output limit.
    bool exceededOutputLimit { false };
    std::string standardOutput;
    std::string standardError;

    bool exited() const { return terminationSignal == 0 && exitStatus >= 0; }
    bool succeeded() const { return exited() && exitStatus == 0 && !timedOut && !stopped && !exceededOutputLimit; }
};

class Process {
public:
    // Runs the child to its end. Answers nullopt with a POSIX-domain error
    // when it cannot be launched (missing, not executable, bad working
    // directory) or when the pipes cannot be made.
    [[nodiscard]] static std::optional<ProcessResult> run(const ProcessLaunch&, Error* outError = nullptr);

    // Runs the child on a worker thread and calls `completion` on the main
    // run loop with the result, or with nullopt and the error.
    using Completion = std::function<void(std::optional<ProcessResult>, Error)>;
    static void runAsynchronously(ProcessLaunch, Completion completion);
};

// The path of the first executable regular file called `name` in the folders
// of $PATH; a name containing "/" is answered itself when executable. Empty
// when none is found.
std::string findExecutable(std::string_view name);

} // namespace brevanton
