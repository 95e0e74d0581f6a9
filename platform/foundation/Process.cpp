#include "platform/foundation/Process.h"

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace brevanton {

namespace {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }

    int get() const { return m_fd; }
    int* receive() { close(); return &m_fd; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd { -1 };
};

struct Pipe {
    FileDescriptor read;
    FileDescriptor write;
    bool open()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) < 0)
            return false;
        *read.receive() = fds[0];
        *write.receive() = fds[1];
        return true;
    }
};

void setNonBlocking(int fd)
{
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

Error launchError(int errorNumber, const std::string& executable)
{
    Error error = Error::posix(errorNumber, u"Could not launch \u201C" + toUTF16(executable) + u"\u201D");
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(executable));
    return error;
}

// Whether the child ended, without reaping it.
bool hasEnded(pid_t pid)
{
    siginfo_t info {};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

std::vector<std::string> childEnvironment(const ProcessLaunch& launch)
{
    std::vector<std::string> result;
    auto overridden = [&](std::string_view entry) {
        auto equals = entry.find('=');
        std::string name(entry.substr(0, equals));
        return launch.environment.find(name) != launch.environment.end();
    };
    if (launch.inheritEnvironment) {
        for (char** entry = environ; entry && *entry; ++entry) {
            if (!overridden(*entry))
                result.emplace_back(*entry);
        }
    }
    for (auto& [name, value] : launch.environment) {
        if (value)
            result.push_back(name + "=" + *value);
    }
    return result;
}

// A descriptor that becomes readable, and stays so, once a stop is requested
// of the token it watches: the run's poll(2) wakes on it. Without a token
// there is no descriptor.
class StopWake {
public:
    explicit StopWake(const std::stop_token& stop)
    {
        if (!stop.stop_possible())
            return;
        *m_fd.receive() = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_fd.get() >= 0)
            m_callback.emplace(stop, Signal { m_fd.get() });
    }
    StopWake(const StopWake&) = delete;
    StopWake& operator=(const StopWake&) = delete;

    bool failed(const std::stop_token& stop) const { return stop.stop_possible() && m_fd.get() < 0; }
    int descriptor() const { return m_fd.get(); }

private:
    struct Signal {
        int fd;
        void operator()() const noexcept
        {
            uint64_t one = 1;
            while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) { }
        }
    };
    FileDescriptor m_fd;
    // Gone before the descriptor it writes to.
    std::optional<std::stop_callback<Signal>> m_callback;
};

// Keeps SIGPIPE from ending this process while it writes to a child that
// closed its standard input; a SIGPIPE raised meanwhile is consumed.
class SigpipeBlocker {
public:
    SigpipeBlocker()
    {
        sigset_t pipeSet;
        sigemptyset(&pipeSet);
        sigaddset(&pipeSet, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSet, &m_oldMask);
    }
    ~SigpipeBlocker()
    {
        if (!m_wasPending) {
            sigset_t pending;
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE)) {
                sigset_t pipeSet;
                sigemptyset(&pipeSet);
                sigaddset(&pipeSet, SIGPIPE);
                struct timespec zero { 0, 0 };
                while (sigtimedwait(&pipeSet, nullptr, &zero) < 0 && errno == EINTR) { }
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_oldMask, nullptr);
    }

private:
    sigset_t m_oldMask;
    bool m_wasPending { false };
};

// Reads what is available; false at end of file or on an error.
// Reads what the pipe holds; false at its end or on an error. Past `limit`
// bytes, `exceeded` is set and nothing more is kept.
bool drain(int fd, std::string& into, size_t limit, bool& exceeded)
{
    char buffer[65536];
    while (true) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            size_t kept = std::min(static_cast<size_t>(count), limit - std::min(limit, into.size()));
            into.append(buffer, kept);
            if (kept < static_cast<size_t>(count)) {
                exceeded = true;
                return false;
            }
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false;
    }
}

// What a child started by spawnWithFileSizeLimit is made of, all prepared
// before it starts.
struct ChildSetup {
    const char* path;
    char* const* argv;
    char* const* envp;
    // Become the child's descriptors 0, 1, 2 and (when not -1) 3, in that order.
    int descriptors[4];
    // Null: the current directory.
    const char* workingDirectory;
    rlim_t fileSizeLimit;
    // Where the child writes its errno when it cannot exec (close-on-exec).
    int errorReport;
};

// Tells the parent the errno of what failed in the child, and ends it.
[[noreturn]] void childFailed(int errorReport)
{
    int errorNumber = errno;
    while (::write(errorReport, &errorNumber, sizeof errorNumber) < 0 && errno == EINTR) { }
    ::_exit(127);
}

// The child between vfork and exec: it shares this process's memory and
// stack, so it only makes async-signal-safe system calls and never returns.
// It does what the posix_spawn attributes and file actions of other launches
// do (process group, default SIGPIPE, no blocked signals, descriptors,
// working directory), and sets the file size limit before the program runs.
[[noreturn]] __attribute__((noinline)) void runChild(const ChildSetup& setup)
{
    auto fail = [&setup] { childFailed(setup.errorReport); };
    // Handlers of this process must not run on its memory: every signal that
    // has one goes back to its default (as exec would do anyway).
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) < 0)
            continue;
        if (signalNumber == SIGPIPE || (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN))
            ::sigaction(signalNumber, &defaultAction, nullptr);
    }
    if (::setpgid(0, 0) < 0)
        fail();
    rlimit limit { setup.fileSizeLimit, setup.fileSizeLimit };
    if (::setrlimit(RLIMIT_FSIZE, &limit) < 0)
        fail();
    for (int target = 0; target < 4; ++target) {
        int source = setup.descriptors[target];
        if (source < 0)
            continue;
        // dup2 onto itself would keep the close-on-exec flag.
        if (source == target ? ::fcntl(target, F_SETFD, 0) < 0 : ::dup2(source, target) < 0)
            fail();
    }
    if (setup.workingDirectory && ::chdir(setup.workingDirectory) < 0)
        fail();
    sigset_t noSignals;
    sigemptyset(&noSignals);
    ::sigprocmask(SIG_SETMASK, &noSignals, nullptr);
    ::execve(setup.path, setup.argv, setup.envp);
    childFailed(setup.errorReport);
}

// Starts a child with a file size limit in place before its program runs
// (posix_spawn sets no resource limits). Answers its pid, or -1 with the
// errno of what failed (the program missing, not executable, ...).
pid_t spawnWithFileSizeLimit(ChildSetup setup, int& errorNumber)
{
    Pipe report;
    if (!report.open()) {
        errorNumber = errno;
        return -1;
    }
    setup.errorReport = report.write.get();
    // No signal is handled in the child before it set the handlers back.
    sigset_t allSignals, oldMask;
    sigfillset(&allSignals);
    pthread_sigmask(SIG_SETMASK, &allSignals, &oldMask);
    pid_t pid = ::vfork();
    if (pid == 0)
        runChild(setup);
    int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    if (pid < 0) {
        errorNumber = forkError;
        return -1;
    }
    report.write.close();
    int childError = 0;
    ssize_t count;
    while ((count = ::read(report.read.get(), &childError, sizeof childError)) < 0 && errno == EINTR) { }
    if (count <= 0)
        return pid; // The exec closed the report: the program runs.
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
    errorNumber = childError;
    return -1;
}

} // namespace

std::string findExecutable(std::string_view name)
{
    if (name.empty())
        return {};
    auto isExecutableFile = [](const std::string& path) {
        struct stat info;
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
    };
    if (name.find('/') != std::string_view::npos)
        return isExecutableFile(std::string(name)) ? std::string(name) : std::string();

    const char* pathVariable = ::getenv("PATH");
    std::string_view folders = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string_view::npos)
            end = folders.size();
        std::string folder(folders.substr(start, end - start));
        if (folder.empty())
            folder = ".";
        std::string candidate = folder + "/" + std::string(name);
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

std::optional<ProcessResult> Process::run(const ProcessLaunch& launch, Error* outError)
{
    std::string path = launch.executable;
    if (path.find('/') == std::string::npos) {
        path = findExecutable(launch.executable);
        if (path.empty()) {
            setError(outError, launchError(ENOENT, launch.executable));
            return std::nullopt;
        }
    }

    Pipe input, output, errors;
    if (!input.open() || !output.open() || !errors.open()) {
        setError(outError, Error::posix(errno, u"Could not make pipes for a child process"));
        return std::nullopt;
    }

    std::vector<std::string> arguments;
    arguments.push_back(launch.executable);
    arguments.insert(arguments.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment = childEnvironment(launch);
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    // One among 0 to 2 would be replaced before it is duplicated: a copy above them serves.
    FileDescriptor extraCopy;
    int extra = launch.extraDescriptor;
    if (extra >= 0 && extra <= STDERR_FILENO) {
        *extraCopy.receive() = ::fcntl(extra, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        extra = extraCopy.get();
    }

    SigpipeBlocker sigpipeBlocker;
    pid_t pid = -1;
    int spawnResult = 0;
    if (launch.fileSizeLimit) {
        ChildSetup setup {};
        setup.path = path.c_str();
        setup.argv = argv.data();
        setup.envp = envp.data();
        setup.descriptors[STDIN_FILENO] = input.read.get();
        setup.descriptors[STDOUT_FILENO] = output.write.get();
        setup.descriptors[STDERR_FILENO] = errors.write.get();
        setup.descriptors[STDERR_FILENO + 1] = extra;
        setup.workingDirectory = launch.workingDirectory.empty() ? nullptr : launch.workingDirectory.c_str();
        setup.fileSizeLimit = static_cast<rlim_t>(*launch.fileSizeLimit);
        pid = spawnWithFileSizeLimit(setup, spawnResult);
    } else {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input.read.get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output.write.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errors.write.get(), STDERR_FILENO);
        if (extra >= 0)
            posix_spawn_file_actions_adddup2(&actions, extra, STDERR_FILENO + 1);
        if (!launch.workingDirectory.empty())
            posix_spawn_file_actions_addchdir_np(&actions, launch.workingDirectory.c_str());

        // The child starts with no blocked signals, default SIGPIPE handling and
        // a process group of its own, so that a timeout ends its children too.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t emptyMask, defaultSignals;
        sigemptyset(&emptyMask);
        sigemptyset(&defaultSignals);
        sigaddset(&defaultSignals, SIGPIPE);
        posix_spawnattr_setsigmask(&attributes, &emptyMask);
        posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
        spawnResult = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (spawnResult != 0)
            pid = -1;
    }
    if (pid < 0) {
        setError(outError, launchError(spawnResult, launch.executable));
        return std::nullopt;
    }

    input.read.close();
    output.write.close();
    errors.write.close();

    // The child is not reaped before the end of this run, so its pid, and
    // the pidfd made of it, name it alone meanwhile. (The system call itself:
    // this C library's header declares it for C only.)
    // Where the system gives no pidfd, the child's end is looked for every
    // ten milliseconds instead.
    FileDescriptor child(launch.waitsWithoutPidfd ? -1 : static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    StopWake stopWake(launch.stop);
    auto killGroup = [pid] {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
    };
    if (stopWake.failed(launch.stop)) {
        int errorNumber = errno;
        killGroup();
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
        setError(outError, Error::posix(errorNumber, u"Could not watch a child process"));
        return std::nullopt;
    }

    ProcessResult result;
    size_t written = 0;
    if (launch.standardInput.empty()) {
        input.write.close();
    } else {
        setNonBlocking(input.write.get());
        // Input of up to the pipe's largest size goes in at once: the child
        // reads it without waiting for this thread to be woken for each few
        // kilobytes it takes (the size is a hint: a refusal changes nothing).
        if (launch.standardInput.size() > 65536) {
            long largest = 1 << 20;
            (void)::fcntl(input.write.get(), F_SETPIPE_SZ, static_cast<int>(std::min<size_t>(launch.standardInput.size(), largest)));
        }
    }
    setNonBlocking(output.read.get());
    setNonBlocking(errors.read.get());

    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline;
    if (launch.timeout)
        deadline = Clock::now() + *launch.timeout;

    auto stopAsked = [&launch] { return launch.stop.stop_requested(); };
    // How long poll(2) may sleep: until the deadline, -1 without one; 0 once
    // it passed (the run then kills the child).
    auto millisecondsLeft = [&deadline]() -> int {
        if (!deadline)
            return -1;
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
        if (remaining <= 0)
            return 0;
        return static_cast<int>(std::min<long long>(remaining + 1, 60000));
    };

    while (output.read.get() >= 0 || errors.read.get() >= 0) {
        if (stopAsked()) {
            killGroup();
            result.stopped = true;
            break;
        }
        pollfd fds[4];
        nfds_t count = 0;
        int inputIndex = -1, outputIndex = -1, errorIndex = -1;
        if (input.write.get() >= 0) {
            inputIndex = static_cast<int>(count);
            fds[count++] = { input.write.get(), POLLOUT, 0 };
        }
        if (output.read.get() >= 0) {
            outputIndex = static_cast<int>(count);
            fds[count++] = { output.read.get(), POLLIN, 0 };
        }
        if (errors.read.get() >= 0) {
            errorIndex = static_cast<int>(count);
            fds[count++] = { errors.read.get(), POLLIN, 0 };
        }
        if (stopWake.descriptor() >= 0)
            fds[count++] = { stopWake.descriptor(), POLLIN, 0 };

        int waitMilliseconds = millisecondsLeft();
        if (waitMilliseconds == 0) {
            killGroup();
            result.timedOut = true;
            break;
        }
        int ready = ::poll(fds, count, waitMilliseconds);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            killGroup();
            break;
        }
        if (inputIndex >= 0 && fds[inputIndex].revents) {
            if (fds[inputIndex].revents & (POLLERR | POLLHUP)) {
                input.write.close();
            } else {
                size_t chunk = launch.standardInput.size() - written;
                ssize_t count = ::write(input.write.get(), launch.standardInput.data() + written, chunk);
                if (count > 0)
                    written += static_cast<size_t>(count);
                else if (count < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
                    input.write.close(); // EPIPE: the child stopped reading.
                if (written == launch.standardInput.size())
                    input.write.close();
            }
        }
        if (outputIndex >= 0 && fds[outputIndex].revents
            && !drain(output.read.get(), result.standardOutput, launch.outputLimit, result.exceededOutputLimit))
            output.read.close();
        if (errorIndex >= 0 && fds[errorIndex].revents
            && !drain(errors.read.get(), result.standardError, launch.outputLimit, result.exceededOutputLimit))
            errors.read.close();
        if (result.exceededOutputLimit) {
            killGroup();
            break;
        }
    }
    input.write.close();
    output.read.close();
    errors.read.close();

    // A child that closed its outputs may still run: the timeout and a stop
    // hold for its end too, waited for on its pidfd beside the stop's wake.
    bool killed = result.timedOut || result.stopped || result.exceededOutputLimit;
    while (!killed) {
        pollfd fds[2] = { { child.get(), POLLIN, 0 }, { stopWake.descriptor(), POLLIN, 0 } };
        int waitMilliseconds = millisecondsLeft();
        constexpr int endLookMilliseconds = 10;
        int sleepMilliseconds = child.get() >= 0 || (waitMilliseconds >= 0 && waitMilliseconds < endLookMilliseconds)
            ? waitMilliseconds
            : endLookMilliseconds;
        int ready = waitMilliseconds == 0 ? 0 : ::poll(fds, stopWake.descriptor() >= 0 ? 2 : 1, sleepMilliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        if ((ready > 0 && fds[0].revents) || (child.get() < 0 && hasEnded(pid)))
            break; // It ended.
        if (stopAsked()) {
            result.stopped = true;
        } else if (ready == 0 && waitMilliseconds >= 0 && millisecondsLeft() == 0) {
            result.timedOut = true;
        } else if (ready >= 0) {
            continue;
        }
        killGroup();
        killed = true;
    }
    int status = 0;
    while (true) {
        pid_t waited = ::waitpid(pid, &status, 0);
        if (waited == pid)
            break;
        if (waited < 0 && errno != EINTR) {
            setError(outError, Error::posix(errno, u"Could not wait for a child process"));
            return std::nullopt;
        }
    }
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.terminationSignal = WTERMSIG(status);
    }
    return result;
}

void Process::runAsynchronously(ProcessLaunch launch, Completion completion)
{
    // Never destroyed: children still running at exit must not hold up its end.
    static OperationQueue* queue = new OperationQueue("Process Queue", OperationQueue::DefaultMaxConcurrentOperationCount);
    queue->addOperation([launch = std::move(launch), completion = std::move(completion)]() mutable {
        Error error;
        auto result = run(launch, &error);
        RunLoop::main().perform([completion = std::move(completion), result = std::move(result), error = std::move(error)]() mutable {
            if (completion)
                completion(std::move(result), std::move(error));
        });
    });
}

} // namespace brevanton
