#pragma once
// The one way the program runs other programs: argument vectors (never a
// shell string), its own process group so a cancel reaches every
// grandchild, all other descriptors closed, every child reaped, and none
// left running when the program ends.
#include "win32/export.h"
#include "rtl/syncobjs.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

struct ProcessSpec {
    std::vector<std::string> argv;   // argv[0] is looked up in PATH when it has no '/'
    std::string workingFolder;       // "" = the current directory
    std::vector<std::pair<std::string, std::string>> extraEnv;  // added to (or replacing in) the environment
    std::string stdinFile;           // "" = /dev/null
    std::string stdoutFile;          // "" = captured when captureOutput, else /dev/null
    bool captureOutput = false;      // keep stdout and stderr text (also needed for line callbacks)
    // The child and everything it started in its group are killed when the
    // thread that starts it or the program ends, however it ends (SIGTERM,
    // SIGKILL, a crash), and what it left running in its group is swept when
    // it ends. Launches that should outlive the program (a viewer opened for
    // the user) clear it.
    bool endWithParent = true;
};

// Exit code given when the program could not be started at all.
constexpr int kExitNotFound = 127;
constexpr int kExitCannotRun = 126;

struct ProcessResult {
    bool started = false;
    int exitCode = -1;       // the child's status, kExitNotFound/kExitCannotRun when it never ran
    int signal = 0;          // the signal that ended it, 0 when it exited
    bool timedOut = false;   // killed because the wait ran out
    std::string output;      // stdout when captured
    std::string errors;      // stderr when captured
    std::string error;       // readable reason when it did not start or did not end normally
    bool Succeeded() const { return started && signal == 0 && exitCode == 0 && !timedOut; }
};

using LineCallback = std::function<void(const std::string& line)>;

// A child process owned by this object: destroying a running child cancels it.
class WIN32_API ChildProcess {
public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Live lines of stdout and stderr, split on '\r' and '\n' (a "\r\n" pair
    // ends one line). They run on the child's reader thread; set them before
    // Start. Setting one implies captureOutput for that stream.
    void OnStdoutLine(LineCallback callback);
    void OnStderrLine(LineCallback callback);

    // False, with ExitCode() 127 or 126 and Error(), when it cannot start.
    bool Start(const ProcessSpec& spec);
    // True once the child has ended and its output is read.
    bool Wait(std::uint32_t timeoutMs = INFINITE);
    bool Running() const;
    // SIGTERM to the whole process group, SIGKILL after graceMs; waits until it is gone.
    void Cancel(std::uint32_t graceMs = 2000);
    // Leaves the child running on its own; it is still reaped when it ends.
    void Detach();

    // The program started (a keeper process of ours leads its group, see process.cpp).
    pid_t Pid() const;
    int ExitCode() const;      // -1 while running
    int Signal() const;        // 0 unless a signal ended it
    bool Cancelled() const;
    std::string Error() const;
    std::string Output() const;   // stdout captured so far
    std::string Errors() const;   // stderr captured so far
    ProcessResult Result() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

// Runs and waits; on timeout the child is cancelled and timedOut is set.
WIN32_API ProcessResult RunProcess(const ProcessSpec& spec, std::uint32_t timeoutMs = INFINITE,
                                   LineCallback onStdoutLine = {}, LineCallback onStderrLine = {});

// Splits a command line into arguments: blanks separate, double quotes group,
// backslash-quote is a literal quote. No other shell meaning.
WIN32_API std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Who launches programs for the layers above. Tests of later layers install a
// recording fake with SetLauncher.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Hidden, not waited for; false when it could not start.
    virtual bool Launch(const ProcessSpec& spec) = 0;
    virtual ProcessResult Run(const ProcessSpec& spec, std::uint32_t timeoutMs) = 0;
    // Opens a file or address with the desktop's handler.
    virtual bool ShellOpen(const std::string& target) = 0;
};

// The real launcher: Launch detaches a ChildProcess, ShellOpen runs xdg-open.
class WIN32_API SystemLauncher : public Launcher {
public:
    bool Launch(const ProcessSpec& spec) override;
    ProcessResult Run(const ProcessSpec& spec, std::uint32_t timeoutMs) override;
    bool ShellOpen(const std::string& target) override;
};

WIN32_API Launcher& CurrentLauncher();
// nullptr restores the system launcher. The launcher must outlive its use.
WIN32_API void SetLauncher(Launcher* launcher);

// Through the current launcher.
WIN32_API bool LaunchHidden(const ProcessSpec& spec);
WIN32_API ProcessResult RunHidden(const ProcessSpec& spec, std::uint32_t timeoutMs = INFINITE);
WIN32_API bool ShellOpen(const std::string& target);
// WinExec-like: the command line is split (SplitCommandLine), a trailing ".exe"
// of the program is dropped and the program is looked for beside the
// executable first, then in PATH; run hidden without waiting.
WIN32_API bool WinExec(std::string_view commandLine);
