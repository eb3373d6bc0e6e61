#include "win32/process.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/progfolders.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            Close();
            fd_ = other.Release();
        }
        return *this;
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// Splits a byte stream into lines ending in '\n', '\r' or "\r\n".
class LineSplitter {
public:
    void Feed(const char* data, std::size_t size, const LineCallback& emit)
    {
        for (std::size_t i = 0; i < size; ++i) {
            char c = data[i];
            if (c == '\n' && afterCr_) {
                afterCr_ = false;
                continue;
            }
            afterCr_ = c == '\r';
            if (c == '\n' || c == '\r') {
                Emit(emit);
                continue;
            }
            line_ += c;
        }
    }
    void Finish(const LineCallback& emit)
    {
        if (!line_.empty())
            Emit(emit);
    }

private:
    void Emit(const LineCallback& emit)
    {
        if (emit) {
            try {
                emit(line_);
            } catch (...) {
                // A throwing listener must not stop the output from being read.
            }
        }
        line_.clear();
    }
    std::string line_;
    bool afterCr_ = false;
};

struct Stream {
    Fd fd;
    LineSplitter splitter;
    LineCallback callback;
};

bool IsExecutableFile(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string LookUpEnv(const std::vector<std::string>& env, std::string_view name)
{
    for (const std::string& entry : env)
        if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=')
            return entry.substr(name.size() + 1);
    return {};
}

// PATH lookup done here, so that "not found" is told apart from "cannot run".
std::string FindProgram(const std::string& program, const std::vector<std::string>& env)
{
    if (program.find('/') != std::string::npos)
        return program;
    std::string path = LookUpEnv(env, "PATH");
    if (path.empty())
        path = "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string_view folder = std::string_view(path).substr(start, end - start);
        if (folder.empty())
            folder = ".";
        std::string candidate = JoinPath(folder, program);
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

std::vector<std::string> BuildEnvironment(const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::vector<std::string> env;
    for (char** p = environ; p && *p; ++p)
        env.emplace_back(*p);
    for (const auto& [name, value] : extra) {
        std::string prefix = name + "=";
        std::erase_if(env, [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
        env.push_back(prefix + value);
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

// What the new child does between fork and exec, prepared beforehand: only
// async-signal-safe calls may run there.
struct ChildSetup {
    const char* path = nullptr;
    char* const* argv = nullptr;
    char* const* envp = nullptr;
    int in = -1, out = -1, err = -1;
    const char* folder = nullptr;
    bool endWithParent = true;
};

// What a new child tells the parent through the report pipe before it execs.
struct Report {
    enum Kind : int { kToolPid = 1, kExecFailed = 2 };
    int kind = 0;
    int value = 0;   // the tool's pid, or the errno of the failed start
};

void SendReport(int report, Report::Kind kind, int value)
{
    const Report message{kind, value};
    // One message is far below PIPE_BUF: it arrives whole or not at all.
    ssize_t ignored = ::write(report, &message, sizeof message);
    (void)ignored;
}

[[noreturn]] void ChildFails(int report, int error)
{
    SendReport(report, Report::kExecFailed, error);
    ::_exit(kExitCannotRun);
}

void ResetSignals()
{
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        ::sigaction(sig, &standard, nullptr);
}

// Becomes the program: standard streams, folder, no other descriptor.
[[noreturn]] void ExecTool(const ChildSetup& setup, int report)
{
    ResetSignals();
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::dup2(setup.in, 0) < 0 || ::dup2(setup.out, 1) < 0 || ::dup2(setup.err, 2) < 0)
        ChildFails(report, errno);
    if (setup.folder && ::chdir(setup.folder) != 0)
        ChildFails(report, errno);
    // Every other descriptor goes; the report pipe closes at exec and tells of a failed one.
    if (report > 3)
        ::close_range(3, static_cast<unsigned>(report) - 1, 0);
    ::close_range(static_cast<unsigned>(report) + 1, ~0u, 0);
    ::execve(setup.path, setup.argv, setup.envp);
    ChildFails(report, errno);
}

// The keeper's parent, the program, as it was when the keeper started.
pid_t g_keeperParent = 0;

// Sent to a keeper when the thread that started it, or the whole program, ends.
constexpr int kParentGone = SIGUSR2;

void KeeperParentGone(int)
{
    // Everything in the tool's group goes with the program, the keeper too.
    if (::getppid() != g_keeperParent)
        ::kill(0, SIGKILL);
}

// The keeper of one tool: the leader of the tool's process group, between
// the program and the tool. The kernel tells it when the program ends, by
// any signal, SIGKILL included, and it then kills the whole group: the
// tool's own children as well as the tool, which the parent-death signal
// alone never reaches. While the program lives it only waits for the tool
// and ends as the tool did, so the program sees the tool's exit status.
[[noreturn]] void RunKeeper(const ChildSetup& setup, int report, pid_t parent)
{
    ResetSignals();
    g_keeperParent = parent;
    struct sigaction gone {};
    gone.sa_handler = KeeperParentGone;
    sigfillset(&gone.sa_mask);
    ::sigaction(kParentGone, &gone, nullptr);
    ::prctl(PR_SET_PDEATHSIG, kParentGone);
    // A parent gone already before this took effect is seen as a new parent.
    if (::getppid() != parent)
        ::_exit(kExitCannotRun);
    // Only the parent's end reaches the keeper: a cancel's SIGTERM to the
    // group is for the tool, and SIGKILL ends everything anyway.
    sigset_t onlyGone;
    sigfillset(&onlyGone);
    sigdelset(&onlyGone, kParentGone);
    ::sigprocmask(SIG_SETMASK, &onlyGone, nullptr);

    // _Fork: the keeper came from a threaded program, so no fork handlers may run.
    const pid_t tool = ::_Fork();
    if (tool == 0) {
        // The tool dies with its keeper too, should the keeper alone be killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ExecTool(setup, report);
    }
    if (tool < 0)
        ChildFails(report, errno);
    SendReport(report, Report::kToolPid, static_cast<int>(tool));
    // The keeper holds nothing open: the tool's pipes end with the tool.
    ::close_range(0, ~0u, 0);
    int status = 0;
    while (::waitpid(tool, &status, 0) < 0) {
        if (errno != EINTR)
            ::_exit(kExitCannotRun);
    }
    if (WIFEXITED(status))
        ::_exit(WEXITSTATUS(status));
    const int sig = WIFSIGNALED(status) ? WTERMSIG(status) : SIGKILL;
    // Ends by the tool's signal, without a core of its own.
    struct rlimit noCore {};
    ::setrlimit(RLIMIT_CORE, &noCore);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(sig, &standard, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    ::kill(::getpid(), sig);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::_exit(128 + sig);
}

// Forks and starts the tool, in a process group of its own, so that a
// cancel reaches everything it starts. A tool that ends with the program
// runs under a keeper (RunKeeper). Answers the group's leader, the process
// this program waits for (the keeper or the tool itself), with *toolPid set
// to the tool; -1 with *error set when it could not be started (the child
// reports a failed exec through a pipe closed on exec).
pid_t SpawnChild(const ChildSetup& setup, pid_t* toolPid, int* error)
{
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        *error = errno;
        return -1;
    }
    sigset_t all, old;
    sigfillset(&all);
    // No handler of ours may run in the child before its signals are reset.
    pthread_sigmask(SIG_SETMASK, &all, &old);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        ::setpgid(0, 0);
        if (setup.endWithParent)
            RunKeeper(setup, report[1], parent);
        ExecTool(setup, report[1]);
    }
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::close(report[1]);
    if (pid < 0) {
        ::close(report[0]);
        *error = forkError;
        return -1;
    }
    // Messages until both the keeper and the tool have closed the pipe (at exec).
    *toolPid = pid;
    int childError = 0;
    Report message;
    std::size_t got = 0;
    for (;;) {
        ssize_t n = ::read(report[0], reinterpret_cast<char*>(&message) + got, sizeof message - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
        if (got < sizeof message)
            continue;
        got = 0;
        if (message.kind == Report::kToolPid)
            *toolPid = message.value;
        else if (message.kind == Report::kExecFailed)
            childError = message.value != 0 ? message.value : EIO;
    }
    ::close(report[0]);
    if (childError != 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        *error = childError;
        return -1;
    }
    return pid;
}

int OpenPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

} // namespace

struct ChildProcess::State {
    mutable std::mutex mutex;
    std::condition_variable ended;
    std::thread reader;
    pid_t pid = -1;       // the process waited for, the leader of the tool's group
    pid_t toolPid = -1;   // the tool itself (the same unless a keeper stands between)
    bool sweepGroup = false;   // the job's group goes with its leader
    bool started = false;
    bool finished = false;
    bool detached = false;
    std::atomic<bool> cancelling{false};
    std::thread::id readerId;
    // Set when a line callback cancels: the reader itself escalates to SIGKILL.
    std::optional<std::chrono::steady_clock::time_point> killAt;
    int exitCode = -1;
    int signal = 0;
    std::string error;
    std::string output;
    std::string errors;
    Stream out;
    Stream err;
    LineCallback onOut;
    LineCallback onErr;

    void Append(bool isOut, const char* data, std::size_t size)
    {
        Stream& stream = isOut ? out : err;
        {
            std::lock_guard<std::mutex> guard(mutex);
            (isOut ? output : errors).append(data, size);
        }
        stream.splitter.Feed(data, size, stream.callback);
    }

    // Reads what is there; false once the stream has ended.
    bool ReadSome(bool isOut)
    {
        Stream& stream = isOut ? out : err;
        char buffer[65536];
        for (;;) {
            ssize_t n = ::read(stream.fd.Get(), buffer, sizeof buffer);
            if (n > 0) {
                Append(isOut, buffer, static_cast<std::size_t>(n));
                return true;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return true;
            stream.fd.Close();
            return false;
        }
    }

    void Reap()
    {
        // While the exited leader is still a zombie its group id cannot be
        // reused, so what it left running can safely be swept now.
        if (cancelling.load() || sweepGroup)
            ::kill(-pid, SIGKILL);
        int status = 0;
        pid_t got;
        do {
            got = ::waitpid(pid, &status, 0);
        } while (got < 0 && errno == EINTR);
        std::lock_guard<std::mutex> guard(mutex);
        if (got == pid && WIFEXITED(status)) {
            exitCode = WEXITSTATUS(status);
        } else if (got == pid && WIFSIGNALED(status)) {
            signal = WTERMSIG(status);
            exitCode = 128 + signal;
        } else {
            exitCode = -1;
            error = "The program's exit status is unknown";
        }
    }

    bool ExitedWithoutReaping()
    {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
            return errno == ECHILD;
        return info.si_pid == pid;
    }

    void Run()
    {
        {
            // Start publishes readerId under this lock.
            std::lock_guard<std::mutex> guard(mutex);
        }
        Fd pidfd(OpenPidFd(pid));
        bool exited = false;
        while (!exited) {
            pollfd fds[3];
            int count = 0;
            int outIndex = -1, errIndex = -1, pidIndex = -1;
            if (out.fd.Valid()) {
                outIndex = count;
                fds[count++] = {out.fd.Get(), POLLIN, 0};
            }
            if (err.fd.Valid()) {
                errIndex = count;
                fds[count++] = {err.fd.Get(), POLLIN, 0};
            }
            if (pidfd.Valid()) {
                pidIndex = count;
                fds[count++] = {pidfd.Get(), POLLIN, 0};
            }
            // Without a process descriptor the exit is polled for.
            int timeout = pidfd.Valid() ? -1 : 20;
            if (killAt) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    *killAt - std::chrono::steady_clock::now()).count();
                if (left <= 0) {
                    ::kill(-pid, SIGKILL);
                    killAt.reset();
                } else if (timeout < 0 || left < timeout) {
                    timeout = static_cast<int>(left);
                }
            }
            int ready = ::poll(fds, static_cast<nfds_t>(count), timeout);
            if (ready < 0 && errno != EINTR)
                break;
            if (outIndex >= 0 && (fds[outIndex].revents & (POLLIN | POLLHUP | POLLERR)))
                ReadSome(true);
            if (errIndex >= 0 && (fds[errIndex].revents & (POLLIN | POLLHUP | POLLERR)))
                ReadSome(false);
            if (pidIndex >= 0 ? (fds[pidIndex].revents & POLLIN) != 0 : ExitedWithoutReaping())
                exited = true;
        }
        Reap();
        // What the child wrote before it ended is in the pipes; a grandchild
        // keeping them open must not hold the wait up, so only drain.
        for (bool isOut : {true, false}) {
            Stream& stream = isOut ? out : err;
            if (!stream.fd.Valid())
                continue;
            ::fcntl(stream.fd.Get(), F_SETFL, ::fcntl(stream.fd.Get(), F_GETFL) | O_NONBLOCK);
            for (;;) {
                pollfd p{stream.fd.Get(), POLLIN, 0};
                if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP)))
                    break;
                std::size_t before = (isOut ? output : errors).size();
                if (!ReadSome(isOut) || (isOut ? output : errors).size() == before)
                    break;
            }
            stream.fd.Close();
        }
        out.splitter.Finish(out.callback);
        err.splitter.Finish(err.callback);
        std::lock_guard<std::mutex> guard(mutex);
        finished = true;
        ended.notify_all();
    }
};

ChildProcess::ChildProcess() : state_(std::make_shared<State>()) {}

ChildProcess::~ChildProcess()
{
    if (!state_->started || state_->detached)
        return;
    if (Running())
        Cancel();
    if (state_->reader.joinable())
        state_->reader.join();
}

void ChildProcess::OnStdoutLine(LineCallback callback) { state_->onOut = std::move(callback); }

void ChildProcess::OnStderrLine(LineCallback callback) { state_->onErr = std::move(callback); }

bool ChildProcess::Start(const ProcessSpec& spec)
{
    State& s = *state_;
    if (s.started)
        throw EInvalidOperation("The process has already been started");
    auto fail = [&](int code, std::string reason) {
        s.exitCode = code;
        s.error = std::move(reason);
        s.finished = true;
        return false;
    };
    if (spec.argv.empty() || spec.argv[0].empty())
        return fail(kExitNotFound, "No program to run");
    const std::string& program = spec.argv[0];

    std::vector<std::string> env = BuildEnvironment(spec.extraEnv);
    std::string path = FindProgram(program, env);
    if (path.empty() || ::access(path.c_str(), F_OK) != 0)
        return fail(kExitNotFound, Format("Cannot run \"%s\": program not found", program));
    if (!IsExecutableFile(path))
        return fail(kExitCannotRun, Format("Cannot run \"%s\": not an executable file", program));
    if (!spec.workingFolder.empty() && !DirectoryExists(spec.workingFolder))
        return fail(kExitCannotRun, Format("Cannot run \"%s\": the folder \"%s\" does not exist", program,
                                           spec.workingFolder));

    // Redirections are opened here, so a bad file gives a clear reason.
    auto openFile = [&](const std::string& file, int flags, Fd& fd) {
        fd = Fd(::open(file.c_str(), flags | O_CLOEXEC, 0644));
        return fd.Valid();
    };
    Fd in, outFile, nullOut;
    if (!openFile(spec.stdinFile.empty() ? std::string("/dev/null") : spec.stdinFile, O_RDONLY, in))
        return fail(kExitCannotRun, Format("Cannot open \"%s\": %s", spec.stdinFile, std::strerror(errno)));
    if (!spec.stdoutFile.empty() && !openFile(spec.stdoutFile, O_WRONLY | O_CREAT | O_TRUNC, outFile))
        return fail(kExitCannotRun, Format("Cannot create \"%s\": %s", spec.stdoutFile, std::strerror(errno)));
    if (!openFile("/dev/null", O_WRONLY, nullOut))
        return fail(kExitCannotRun, Format("Cannot open /dev/null: %s", std::strerror(errno)));

    const bool captureOut = spec.stdoutFile.empty() && (spec.captureOutput || s.onOut);
    const bool captureErr = spec.captureOutput || s.onErr;
    Fd outRead, outWrite, errRead, errWrite;
    auto makePipe = [](Fd& readEnd, Fd& writeEnd) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        readEnd = Fd(fds[0]);
        writeEnd = Fd(fds[1]);
        return true;
    };
    if ((captureOut && !makePipe(outRead, outWrite)) || (captureErr && !makePipe(errRead, errWrite)))
        return fail(kExitCannotRun, Format("Cannot make a pipe: %s", std::strerror(errno)));

    std::vector<std::string> args = spec.argv;
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);
    ChildSetup setup;
    setup.path = path.c_str();
    setup.argv = argPointers.data();
    setup.envp = envPointers.data();
    setup.in = in.Get();
    setup.out = captureOut ? outWrite.Get() : outFile.Valid() ? outFile.Get() : nullOut.Get();
    setup.err = captureErr ? errWrite.Get() : nullOut.Get();
    setup.folder = spec.workingFolder.empty() ? nullptr : spec.workingFolder.c_str();
    setup.endWithParent = spec.endWithParent;
    int startError = 0;
    pid_t toolPid = -1;
    const pid_t pid = SpawnChild(setup, &toolPid, &startError);
    if (pid < 0)
        return fail(startError == ENOENT ? kExitNotFound : kExitCannotRun,
                    Format("Cannot run \"%s\": %s", program, std::strerror(startError)));

    s.sweepGroup = spec.endWithParent;
    s.pid = pid;
    s.toolPid = toolPid;
    s.started = true;
    s.out.fd = std::move(outRead);
    s.out.callback = s.onOut;
    s.err.fd = std::move(errRead);
    s.err.callback = s.onErr;
    // The write ends close here, so the reader sees the end of the output.
    outWrite.Close();
    errWrite.Close();
    std::shared_ptr<State> state = state_;
    std::lock_guard<std::mutex> guard(s.mutex);
    s.reader = std::thread([state] { state->Run(); });
    s.readerId = s.reader.get_id();
    return true;
}

bool ChildProcess::Wait(std::uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(state_->mutex);
    if (timeoutMs == INFINITE) {
        state_->ended.wait(lock, [&] { return state_->finished; });
        return true;
    }
    return state_->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state_->finished; });
}

bool ChildProcess::Running() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->started && !state_->finished;
}

void ChildProcess::Cancel(std::uint32_t graceMs)
{
    if (!Running())
        return;
    state_->cancelling = true;
    const pid_t pid = state_->pid;
    ::kill(-pid, SIGTERM);
    if (std::this_thread::get_id() == state_->readerId) {
        // Called from a line callback: waiting here would wait for ourselves.
        state_->killAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
        return;
    }
    if (!Wait(graceMs))
        ::kill(-pid, SIGKILL);
    Wait();
}

void ChildProcess::Detach()
{
    if (!state_->started || state_->detached)
        return;
    state_->detached = true;
    // The reader keeps the state alive and reaps the child when it ends.
    state_->reader.detach();
}

pid_t ChildProcess::Pid() const { return state_->toolPid; }

int ChildProcess::ExitCode() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->finished ? state_->exitCode : -1;
}

int ChildProcess::Signal() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->signal;
}

bool ChildProcess::Cancelled() const { return state_->cancelling.load(); }

std::string ChildProcess::Error() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->error;
}

std::string ChildProcess::Output() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->output;
}

std::string ChildProcess::Errors() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->errors;
}

ProcessResult ChildProcess::Result() const
{
    std::lock_guard<std::mutex> guard(state_->mutex);
    ProcessResult result;
    result.started = state_->started;
    result.exitCode = state_->finished ? state_->exitCode : -1;
    result.signal = state_->signal;
    result.output = state_->output;
    result.errors = state_->errors;
    result.error = state_->error;
    if (state_->finished && result.error.empty() && result.signal != 0)
        result.error = Format("The program was ended by signal %d", result.signal);
    return result;
}

ProcessResult RunProcess(const ProcessSpec& spec, std::uint32_t timeoutMs, LineCallback onStdoutLine,
                         LineCallback onStderrLine)
{
    ChildProcess child;
    child.OnStdoutLine(std::move(onStdoutLine));
    child.OnStderrLine(std::move(onStderrLine));
    if (!child.Start(spec))
        return child.Result();
    bool timedOut = false;
    if (!child.Wait(timeoutMs)) {
        timedOut = true;
        child.Cancel();
    }
    ProcessResult result = child.Result();
    if (timedOut) {
        result.timedOut = true;
        result.error = "The program did not end in time and was stopped";
    }
    return result;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> args;
    std::string current;
    bool inArg = false, quoted = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        char c = commandLine[i];
        if (c == '\\' && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
            current += '"';
            inArg = true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg)
                args.push_back(std::move(current));
            current.clear();
            inArg = false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg)
        args.push_back(std::move(current));
    return args;
}

bool SystemLauncher::Launch(const ProcessSpec& spec)
{
    // Started to run on its own: it may outlive the program.
    ProcessSpec own = spec;
    own.endWithParent = false;
    ChildProcess child;
    if (!child.Start(own))
        return false;
    child.Detach();
    return true;
}

ProcessResult SystemLauncher::Run(const ProcessSpec& spec, std::uint32_t timeoutMs)
{
    return RunProcess(spec, timeoutMs);
}

bool SystemLauncher::ShellOpen(const std::string& target)
{
    if (target.empty())
        return false;
    ProcessSpec spec;
    spec.argv = {"xdg-open", target};
    return Launch(spec);
}

namespace {
std::atomic<Launcher*> g_launcher{nullptr};
}

Launcher& CurrentLauncher()
{
    static SystemLauncher system;
    Launcher* installed = g_launcher.load();
    return installed ? *installed : system;
}

void SetLauncher(Launcher* launcher) { g_launcher.store(launcher); }

bool LaunchHidden(const ProcessSpec& spec) { return CurrentLauncher().Launch(spec); }

ProcessResult RunHidden(const ProcessSpec& spec, std::uint32_t timeoutMs)
{
    return CurrentLauncher().Run(spec, timeoutMs);
}

bool ShellOpen(const std::string& target) { return CurrentLauncher().ShellOpen(target); }

bool WinExec(std::string_view commandLine)
{
    ProcessSpec spec;
    spec.argv = SplitCommandLine(commandLine);
    if (spec.argv.empty())
        return false;
    std::string& program = spec.argv[0];
    if (program.find('/') == std::string::npos) {
        if (EndsText(".exe", program))
            program.resize(program.size() - 4);
        // Tools delivered with the program sit beside its executable.
        std::string beside = ExecutableFolder() + program;
        if (IsExecutableFile(beside))
            program = beside;
    }
    return LaunchHidden(spec);
}
