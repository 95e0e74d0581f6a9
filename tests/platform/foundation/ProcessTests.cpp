#include "platform/foundation/Process.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <fstream>
#include <stop_token>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

ProcessLaunch shell(std::string script, std::vector<std::string> extra = {})
{
    ProcessLaunch launch;
    launch.executable = "/bin/sh";
    launch.arguments = { "-c", std::move(script), "sh" };
    launch.arguments.insert(launch.arguments.end(), extra.begin(), extra.end());
    return launch;
}

ProcessResult runOrFail(const ProcessLaunch& launch)
{
    Error error;
    auto result = Process::run(launch, &error);
    EXPECT_TRUE(result.has_value()) << error;
    return result.value_or(ProcessResult {});
}

// A thread that asks for a stop once the child wrote its pid file (a whole
// line; the shell may be slow to start on a busy machine), and `delay` later.
std::thread stopOnceWritten(std::stop_source stop, std::string pidFile, std::chrono::milliseconds delay = {})
{
    return std::thread([stop, pidFile = std::move(pidFile), delay]() mutable {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(fileExists(pidFile) && readFile(pidFile).value_or("").ends_with('\n')) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(delay);
        stop.request_stop();
    });
}

} // namespace

TEST(Process, PassesArgumentsAndReportsExitStatusAndOutputs)
{
    auto result = runOrFail(shell("printf '%s|' \"$@\"; printf 'oops' >&2; exit 3", { "a", "b c", "" }));
    EXPECT_EQ(result.standardOutput, "a|b c||");
    EXPECT_EQ(result.standardError, "oops");
    EXPECT_TRUE(result.exited());
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_FALSE(result.succeeded());

    // A bare name is looked up on PATH.
    ProcessLaunch echo;
    echo.executable = "echo";
    echo.arguments = { "hello" };
    auto echoed = runOrFail(echo);
    EXPECT_EQ(echoed.standardOutput, "hello\n");
    EXPECT_TRUE(echoed.succeeded());
}

TEST(Process, ReportsTheSignalThatEndedTheChild)
{
    auto result = runOrFail(shell("kill -TERM $$"));
    EXPECT_FALSE(result.exited());
    EXPECT_EQ(result.terminationSignal, SIGTERM);
    EXPECT_FALSE(result.timedOut);
}

TEST(Process, EnvironmentIsInheritedOverriddenAndUnset)
{
    ::setenv("BREVANTON_PROCESS_KEEP", "kept", 1);
    ::setenv("BREVANTON_PROCESS_DROP", "dropped", 1);
    ::setenv("BREVANTON_PROCESS_CHANGE", "old", 1);
    auto launch = shell("echo \"$BREVANTON_PROCESS_KEEP/${BREVANTON_PROCESS_DROP-unset}/$BREVANTON_PROCESS_CHANGE/$BREVANTON_PROCESS_NEW\"");
    launch.environment["BREVANTON_PROCESS_DROP"] = std::nullopt;
    launch.environment["BREVANTON_PROCESS_CHANGE"] = "new";
    launch.environment["BREVANTON_PROCESS_NEW"] = "added";
    EXPECT_EQ(runOrFail(launch).standardOutput, "kept/unset/new/added\n");

    launch.inheritEnvironment = false;
    EXPECT_EQ(runOrFail(launch).standardOutput, "/unset/new/added\n");
    ::unsetenv("BREVANTON_PROCESS_KEEP");
    ::unsetenv("BREVANTON_PROCESS_DROP");
    ::unsetenv("BREVANTON_PROCESS_CHANGE");
}

TEST(Process, RunsInTheWorkingDirectory)
{
    auto folder = createTemporaryDirectory("process-test");
    ASSERT_TRUE(folder);
    auto launch = shell("pwd -P");
    launch.workingDirectory = *folder;
    char* real = ::realpath(folder->c_str(), nullptr);
    EXPECT_EQ(runOrFail(launch).standardOutput, std::string(real) + "\n");
    std::free(real);

    launch.workingDirectory = *folder + "/missing";
    Error error;
    EXPECT_FALSE(Process::run(launch, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_TRUE(removeItem(*folder));
}

TEST(Process, LargeDataBothWaysDoesNotDeadlock)
{
    // The child fills standard error before it reads any input, then echoes
    // megabytes of input back: a writer that does not drain would stall.
    std::string input;
    for (int i = 0; input.size() < 6 * 1024 * 1024; ++i)
        input += "line " + std::to_string(i) + "\n";
    auto launch = shell("head -c 3000000 /dev/zero >&2; cat; head -c 2000000 /dev/zero >&2");
    launch.standardInput = input;
    auto result = runOrFail(launch);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutput.size(), input.size());
    EXPECT_TRUE(result.standardOutput == input);
    EXPECT_EQ(result.standardError.size(), 5000000u);
}

TEST(Process, ChildThatIgnoresItsInputDoesNotEndTheCaller)
{
    // The child exits without reading: writing the rest must not raise SIGPIPE here.
    auto launch = shell("exit 0");
    launch.standardInput.assign(4 * 1024 * 1024, 'x');
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(runOrFail(launch).succeeded());

    auto partial = shell("head -c 10");
    partial.standardInput.assign(4 * 1024 * 1024, 'y');
    auto result = runOrFail(partial);
    EXPECT_EQ(result.standardOutput, std::string(10, 'y'));
}

TEST(Process, TimeoutKillsTheChildAndItsChildren)
{
    // The shell's own child keeps the output pipe open: killing only the shell would not end the run.
    // Ended long before the child would end by itself, however busy the machine.
    auto launch = shell("sleep 120; echo late");
    launch.timeout = std::chrono::milliseconds(100);
    auto start = std::chrono::steady_clock::now();
    auto result = runOrFail(launch);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(result.terminationSignal, SIGKILL);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_FALSE(result.succeeded());

    // A child that closed its outputs but goes on running is ended all the same.
    auto silent = shell("exec >&- 2>&-; sleep 120");
    silent.timeout = std::chrono::milliseconds(100);
    start = std::chrono::steady_clock::now();
    auto silentResult = runOrFail(silent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(silentResult.timedOut);

    auto quick = shell("echo fast");
    quick.timeout = std::chrono::seconds(30);
    auto quickResult = runOrFail(quick);
    EXPECT_FALSE(quickResult.timedOut);
    EXPECT_EQ(quickResult.standardOutput, "fast\n");
}

TEST(Process, AStopFromAnotherThreadEndsTheWholeGroupAndOutputIsCapped)
{
    // The shell's child records its pid, then outlives the shell's own end
    // unless its whole group goes.
    auto folder = *createTemporaryDirectory("process-stop");
    std::string pidFile = folder + "/child.pid";
    auto launch = shell("sleep 120 & echo $! > \"$1\"; wait", { pidFile });
    std::stop_source stop;
    launch.stop = stop.get_token();
    // The stop comes once the child is running.
    std::thread stopper = stopOnceWritten(stop, pidFile);
    auto start = std::chrono::steady_clock::now();
    auto result = runOrFail(launch);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(result.succeeded());
    auto childPid = readFile(pidFile);
    ASSERT_TRUE(childPid);
    pid_t child = static_cast<pid_t>(std::stol(*childPid));
    // The grandchild was killed too: gone, or a zombie its new parent has
    // yet to reap.
    auto running = [child] {
        std::ifstream file("/proc/" + std::to_string(child) + "/stat");
        std::string stat;
        if (!std::getline(file, stat))
            return false;
        size_t close = stat.rfind(')');
        return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(running()) << "the child's own child still runs";

    // A stop asked before the run begins ends it at once.
    auto early = shell("sleep 30");
    std::stop_source earlyStop;
    earlyStop.request_stop();
    early.stop = earlyStop.get_token();
    EXPECT_TRUE(runOrFail(early).stopped);

    // A child that closed its outputs and runs on, with no timeout, is
    // stopped all the same: the stop wakes the wait for its end.
    std::string silentPidFile = folder + "/silent.pid";
    auto silent = shell("echo $$ > \"$1\"; exec >&- 2>&-; sleep 120", { silentPidFile });
    std::stop_source silentStop;
    silent.stop = silentStop.get_token();
    // The shell closes its outputs right after writing its pid.
    std::thread silentStopper = stopOnceWritten(silentStop, silentPidFile, std::chrono::milliseconds(50));
    start = std::chrono::steady_clock::now();
    auto silentResult = runOrFail(silent);
    silentStopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(silentResult.stopped);
    EXPECT_EQ(silentResult.terminationSignal, SIGKILL);

    // A child that writes without end is killed at the limit; what it wrote up to there is kept.
    auto endless = shell("yes");
    endless.outputLimit = 1 << 20;
    endless.timeout = std::chrono::seconds(30);
    auto capped = runOrFail(endless);
    EXPECT_TRUE(capped.exceededOutputLimit);
    EXPECT_FALSE(capped.timedOut);
    EXPECT_EQ(capped.standardOutput.size(), size_t(1) << 20);
    EXPECT_TRUE(capped.standardOutput.starts_with("y\ny\n"));
    EXPECT_TRUE(removeItem(folder));
}

// Where the system gives no pidfd, the end of a child that closed its
// outputs is still seen, and the timeout still holds for it.
TEST(Process, WithoutPidfdsAChildThatClosedItsOutputsIsWaitedForAndTimedOut)
{
    auto ending = shell("exec >&- 2>&-; sleep 0.2; exit 3");
    ending.waitsWithoutPidfd = true;
    ending.timeout = std::chrono::seconds(30);
    auto ended = runOrFail(ending);
    EXPECT_FALSE(ended.timedOut);
    EXPECT_EQ(ended.exitStatus, 3);

    auto silent = shell("exec >&- 2>&-; sleep 120");
    silent.timeout = std::chrono::milliseconds(100);
    silent.waitsWithoutPidfd = true;
    auto start = std::chrono::steady_clock::now();
    auto silentResult = runOrFail(silent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(silentResult.timedOut);
    EXPECT_EQ(silentResult.terminationSignal, SIGKILL);
}

TEST(Process, TheExtraDescriptorIsTheChildsDescriptor3)
{
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    auto launch = shell("echo through three >&3");
    launch.extraDescriptor = fds[1];
    EXPECT_TRUE(runOrFail(launch).succeeded());
    ::close(fds[1]);
    char buffer[64] = {};
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(0, ::read(fds[0], buffer, sizeof buffer)))), "through three\n");
    ::close(fds[0]);

    // A file in memory handed to the child grows to the child's file size
    // limit and no further: the write past it ends the child.
    int memory = ::memfd_create("process-test", MFD_CLOEXEC);
    ASSERT_GE(memory, 0);
    auto within = shell("head -c 1000000 /dev/zero >&3");
    within.extraDescriptor = memory;
    within.fileSizeLimit = 1000000;
    EXPECT_TRUE(runOrFail(within).succeeded());
    ASSERT_EQ(::lseek(memory, 0, SEEK_SET), 0);
    // A child writing past the limit from its first moment is held to it:
    // the limit is in place before its program runs.
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(::ftruncate(memory, 0), 0);
        ProcessLaunch filling;
        filling.executable = "dd";
        filling.arguments = { "if=/dev/zero", "of=/dev/fd/3", "bs=5000000", "count=1", "conv=notrunc" };
        filling.extraDescriptor = memory;
        filling.fileSizeLimit = 1000000;
        filling.timeout = std::chrono::seconds(30);
        auto filled = runOrFail(filling);
        EXPECT_EQ(filled.terminationSignal, SIGXFSZ) << "round " << round;
        EXPECT_FALSE(filled.timedOut);
        struct stat status {};
        ASSERT_EQ(::fstat(memory, &status), 0);
        EXPECT_EQ(status.st_size, 1000000) << "round " << round;
    }
    ::close(memory);
}

// A launch with a file size limit starts its child another way than the
// others; the child is the same: its descriptors, working directory,
// environment, process group, signal mask and dispositions (each read by
// the launched program itself), and a program that cannot run is an error,
// not an exit status.
TEST(Process, ALimitedChildIsStartedLikeAnyOther)
{
    auto folder = createTemporaryDirectory("process-test");
    ASSERT_TRUE(folder);
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    // SIGPIPE, which this process may ignore, is the child's to handle.
    auto oldPipeHandler = ::signal(SIGPIPE, SIG_IGN);
    // Runs the launch without a limit and with one: both answer the same.
    auto runBoth = [&](ProcessLaunch launch) {
        launch.workingDirectory = *folder;
        launch.extraDescriptor = fds[1];
        auto plain = runOrFail(launch);
        launch.fileSizeLimit = 1000000;
        auto limited = runOrFail(launch);
        EXPECT_TRUE(limited.succeeded()) << limited.standardError;
        EXPECT_EQ(limited.standardOutput, plain.standardOutput);
        EXPECT_EQ(limited.standardError, plain.standardError);
        return limited;
    };
    auto script = shell("pwd -P; read line; echo \"in:$line\"; echo err >&2; echo three >&3; echo \"$BREVANTON_PROCESS_LIMITED\"");
    script.standardInput = "given\n";
    script.environment["BREVANTON_PROCESS_LIMITED"] = "set";
    auto scripted = runBoth(script);
    EXPECT_TRUE(scripted.standardOutput.ends_with("\nin:given\nset\n")) << scripted.standardOutput;
    EXPECT_EQ(scripted.standardError, "err\n");

    auto program = [](std::string executable, std::vector<std::string> arguments) {
        ProcessLaunch launch;
        launch.executable = std::move(executable);
        launch.arguments = std::move(arguments);
        return launch;
    };
    auto group = program("awk", { "{ print ($1 == $5) ? \"own group\" : \"shared group\" }", "/proc/self/stat" });
    EXPECT_EQ(runBoth(group).standardOutput, "own group\n");
    runBoth(program("ls", { "/proc/self/fd" }));
    // (A posix_spawn child ignores the C library's own signals: only SIGPIPE is compared.)
    auto status = program("grep", { "-E", "^Sig(Blk|Ign)", "/proc/self/status" });
    status.fileSizeLimit = 1000000;
    auto signals = runOrFail(status).standardOutput;
    ::signal(SIGPIPE, oldPipeHandler);
    EXPECT_TRUE(signals.starts_with("SigBlk:\t0000000000000000\nSigIgn:\t")) << signals;
    ASSERT_EQ(signals.size(), 50u) << signals;
    EXPECT_FALSE(std::stoull(signals.substr(33, 16), nullptr, 16) >> (SIGPIPE - 1) & 1) << signals;
    ::close(fds[1]);
    char buffer[64] = {};
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(0, ::read(fds[0], buffer, sizeof buffer)))), "three\nthree\n");
    ::close(fds[0]);

    Error error;
    script.fileSizeLimit = 1000000;
    script.executable = "/nonexistent/brevanton-no-such-tool";
    EXPECT_FALSE(Process::run(script, &error));
    EXPECT_EQ(error.code(), ENOENT);
    std::string notExecutable = *folder + "/not-executable";
    ASSERT_TRUE(writeFileAtomically(notExecutable, "#!/bin/sh\necho hi\n"));
    ::chmod(notExecutable.c_str(), 0644);
    script.executable = notExecutable;
    error = Error();
    EXPECT_FALSE(Process::run(script, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), EACCES);
    auto elsewhere = shell("true");
    elsewhere.fileSizeLimit = 1000000;
    elsewhere.workingDirectory = *folder + "/missing";
    error = Error();
    EXPECT_FALSE(Process::run(elsewhere, &error));
    EXPECT_EQ(error.code(), ENOENT);

    // Its end is waited for without a pidfd too.
    auto ending = shell("exec >&- 2>&-; exit 3");
    ending.fileSizeLimit = 1000000;
    ending.waitsWithoutPidfd = true;
    EXPECT_EQ(runOrFail(ending).exitStatus, 3);
    EXPECT_TRUE(removeItem(*folder));
}

TEST(Process, UnlaunchableExecutablesAreErrors)
{
    Error error;
    ProcessLaunch missing;
    missing.executable = "/nonexistent/brevanton-no-such-tool";
    EXPECT_FALSE(Process::run(missing, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);

    error = Error();
    missing.executable = "brevanton-no-such-tool-on-path";
    EXPECT_FALSE(Process::run(missing, &error));
    EXPECT_EQ(error.code(), ENOENT);

    auto folder = createTemporaryDirectory("process-test");
    ASSERT_TRUE(folder);
    std::string script = *folder + "/not-executable";
    ASSERT_TRUE(writeFileAtomically(script, "#!/bin/sh\necho hi\n"));
    ::chmod(script.c_str(), 0644);
    ProcessLaunch notExecutable;
    notExecutable.executable = script;
    error = Error();
    EXPECT_FALSE(Process::run(notExecutable, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), EACCES);
    EXPECT_TRUE(removeItem(*folder));
}

TEST(Process, FindExecutableSearchesPath)
{
    auto folder = createTemporaryDirectory("process-test");
    ASSERT_TRUE(folder);
    std::string tool = *folder + "/brevanton-tool";
    ASSERT_TRUE(writeFileAtomically(tool, "#!/bin/sh\necho tool\n"));
    ::chmod(tool.c_str(), 0755);
    ASSERT_TRUE(createDirectory(*folder + "/brevanton-dir"));
    std::string plain = *folder + "/brevanton-plain";
    ASSERT_TRUE(writeFileAtomically(plain, "data"));

    std::string savedPath = ::getenv("PATH") ? ::getenv("PATH") : "";
    ::setenv("PATH", ("/nonexistent:" + *folder + ":" + savedPath).c_str(), 1);
    EXPECT_EQ(findExecutable("brevanton-tool"), tool);
    EXPECT_EQ(findExecutable("brevanton-dir"), "");
    EXPECT_EQ(findExecutable("brevanton-plain"), "");
    EXPECT_EQ(findExecutable("brevanton-missing"), "");
    EXPECT_EQ(findExecutable(""), "");
    EXPECT_EQ(findExecutable(tool), tool);
    ProcessLaunch launch;
    launch.executable = "brevanton-tool";
    EXPECT_EQ(runOrFail(launch).standardOutput, "tool\n");
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_TRUE(removeItem(*folder));
}

TEST(Process, AsynchronousRunsDeliverOnTheMainRunLoop)
{
    int delivered = 0;
    std::optional<ProcessResult> output;
    Error missingError;
    bool deliveredOnMainThread = true;
    auto launch = shell("cat");
    launch.standardInput = "async";
    Process::runAsynchronously(launch, [&](std::optional<ProcessResult> result, Error) {
        deliveredOnMainThread &= RunLoop::isMainThread();
        output = std::move(result);
        ++delivered;
    });
    ProcessLaunch missing;
    missing.executable = "/nonexistent/tool";
    Process::runAsynchronously(missing, [&](std::optional<ProcessResult> result, Error error) {
        deliveredOnMainThread &= RunLoop::isMainThread();
        EXPECT_FALSE(result);
        missingError = error;
        ++delivered;
    });
    // Nothing is delivered outside the run loop.
    EXPECT_EQ(delivered, 0);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return delivered == 2; }, 30));
    EXPECT_TRUE(deliveredOnMainThread);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->standardOutput, "async");
    EXPECT_EQ(missingError.code(), ENOENT);
}
