#include "win32/process.h"

#include "rtl/paths.h"
#include "win32/progfolders.h"
#include "testkit/wait.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

ProcessSpec Shell(const std::string& script, bool capture = true)
{
    ProcessSpec spec;
    spec.argv = {"sh", "-c", script};
    spec.captureOutput = capture;
    return spec;
}

// A process that is gone or only a zombie nobody else will reap (a
// container's first process may not reap orphans).
bool IsGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all;
    std::getline(stat, all);
    std::size_t close = all.rfind(')');
    return close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'Z';
}

// Signals are delivered asynchronously: a killed grandchild may take a moment to die.
bool BecomesGone(pid_t pid)
{
    auto start = std::chrono::steady_clock::now();
    while (!IsGone(pid)) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
            return false;
        std::this_thread::yield();
    }
    return true;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class TempFolder {
public:
    TempFolder() : path(MakeTempFolder("win32-process")) {}
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

TEST(Win32Process, ExitCodesAndCapturedOutput)
{
    ProcessResult ok = RunProcess(Shell("printf 'to out'; printf 'to err' >&2"));
    EXPECT_TRUE(ok.started);
    EXPECT_TRUE(ok.Succeeded());
    EXPECT_EQ(ok.output, "to out");
    EXPECT_EQ(ok.errors, "to err");

    ProcessResult three = RunProcess(Shell("exit 3"));
    EXPECT_TRUE(three.started);
    EXPECT_EQ(three.exitCode, 3);
    EXPECT_FALSE(three.Succeeded());

    ProcessResult killed = RunProcess(Shell("kill -9 $$"));
    EXPECT_EQ(killed.signal, SIGKILL);
    EXPECT_FALSE(killed.Succeeded());
    EXPECT_FALSE(killed.error.empty());

    // Without captureOutput nothing is kept (and the child still runs fine).
    ProcessResult quiet = RunProcess(Shell("echo hidden", false));
    EXPECT_TRUE(quiet.Succeeded());
    EXPECT_EQ(quiet.output, "");
}

TEST(Win32Process, MissingOrUnrunnableProgramIsReportedClearly)
{
    ChildProcess child;
    ProcessSpec spec;
    spec.argv = {"keldara-no-such-program-here", "x"};
    EXPECT_FALSE(child.Start(spec));
    EXPECT_EQ(child.ExitCode(), kExitNotFound);
    EXPECT_NE(child.Error().find("keldara-no-such-program-here"), std::string::npos);
    EXPECT_NE(child.Error().find("not found"), std::string::npos);
    EXPECT_FALSE(child.Running());
    EXPECT_TRUE(child.Wait(0));

    ProcessResult absent = RunProcess(ProcessSpec{{"/nonexistent/tool"}, "", {}, "", "", true});
    EXPECT_FALSE(absent.started);
    EXPECT_EQ(absent.exitCode, kExitNotFound);

    TempFolder temp;
    std::string plain = JoinPath(temp.path, "not-executable");
    std::ofstream(plain) << "#!/bin/sh\n";
    ProcessResult denied = RunProcess(ProcessSpec{{plain}, "", {}, "", "", true});
    EXPECT_FALSE(denied.started);
    EXPECT_EQ(denied.exitCode, kExitCannotRun);

    EXPECT_FALSE(RunProcess(ProcessSpec{}).started);
    ProcessResult badFolder = RunProcess(ProcessSpec{{"true"}, JoinPath(temp.path, "missing"), {}, "", "", false});
    EXPECT_FALSE(badFolder.started);
    EXPECT_FALSE(badFolder.error.empty());
}

TEST(Win32Process, LinesSplitOnCarriageReturnsAndNewlines)
{
    std::vector<std::string> out, err;
    ProcessResult r = RunProcess(Shell("printf 'STAT: 1\\rSTAT: 2\\rdone\\r\\nnext\\n\\nlast'; printf 'e1\\re2' >&2"),
                                 INFINITE, [&](const std::string& l) { out.push_back(l); },
                                 [&](const std::string& l) { err.push_back(l); });
    ASSERT_TRUE(r.Succeeded());
    EXPECT_EQ(out, (std::vector<std::string>{"STAT: 1", "STAT: 2", "done", "next", "", "last"}));
    EXPECT_EQ(err, (std::vector<std::string>{"e1", "e2"}));
}

TEST(Win32Process, LongOutputIsReadWhileTheChildRuns)
{
    // Far more than a pipe holds: a reader that only starts at the end would hang.
    int lines = 0;
    ProcessResult r = RunProcess(Shell("i=0; while [ $i -lt 20000 ]; do echo line-$i-xxxxxxxxxxxxxxxx; i=$((i+1)); done"),
                                 INFINITE, [&](const std::string&) { ++lines; });
    ASSERT_TRUE(r.Succeeded());
    EXPECT_EQ(lines, 20000);
    EXPECT_GT(r.output.size(), 400000u);
}

TEST(Win32Process, CancelKillsTheWholeGroupPromptly)
{
    ChildProcess child;
    std::mutex mutex;
    std::vector<pid_t> grandchildren;
    child.OnStdoutLine([&](const std::string& line) {
        std::lock_guard<std::mutex> guard(mutex);
        grandchildren.push_back(std::stoi(line));
    });
    ASSERT_TRUE(child.Start(Shell("sleep 30 & echo $!; sleep 30 & echo $!; wait")));
    // Both grandchildren exist once their pids are printed.
    ASSERT_TRUE(testkit::WaitUntil([&] {
        std::lock_guard<std::mutex> guard(mutex);
        return grandchildren.size() == 2 || !child.Running();
    }));
    ASSERT_TRUE(child.Running());
    auto start = std::chrono::steady_clock::now();
    child.Cancel();
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_FALSE(child.Running());
    EXPECT_TRUE(child.Cancelled());
    EXPECT_EQ(child.Signal(), SIGTERM);
    for (pid_t pid : grandchildren)
        EXPECT_TRUE(BecomesGone(pid)) << pid;
    // Reaped: no zombie of ours is left.
    EXPECT_EQ(::waitpid(child.Pid(), nullptr, WNOHANG), -1);
}

TEST(Win32Process, ChildIgnoringTerminateIsKilledAfterTheGrace)
{
    ChildProcess child;
    std::atomic<bool> ready{false};
    child.OnStdoutLine([&](const std::string&) { ready = true; });
    ASSERT_TRUE(child.Start(Shell("trap '' TERM; echo ready; while :; do sleep 1; done")));
    ASSERT_TRUE(testkit::WaitUntil([&] { return ready.load(); }));
    child.Cancel(50);
    EXPECT_FALSE(child.Running());
    EXPECT_EQ(child.Signal(), SIGKILL);
}

TEST(Win32Process, LineCallbackMayCancelItsOwnChild)
{
    ChildProcess child;
    std::vector<std::string> lines;
    child.OnStdoutLine([&](const std::string& line) {
        lines.push_back(line);
        if (line == "ERROR")
            child.Cancel(50);
    });
    ASSERT_TRUE(child.Start(Shell("trap '' TERM; echo ERROR; while :; do sleep 1; done")));
    ASSERT_TRUE(child.Wait(20000));
    EXPECT_EQ(child.Signal(), SIGKILL);
    EXPECT_EQ(lines, (std::vector<std::string>{"ERROR"}));
}

TEST(Win32Process, WaitTimesOutAndRunProcessStopsTheChild)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(Shell("sleep 30", false)));
    EXPECT_FALSE(child.Wait(0));
    EXPECT_EQ(child.ExitCode(), -1);
    child.Cancel();

    ProcessResult r = RunProcess(Shell("sleep 30"), 20);
    EXPECT_TRUE(r.timedOut);
    EXPECT_FALSE(r.Succeeded());
}

TEST(Win32Process, DestroyingARunningChildStopsIt)
{
    pid_t pid;
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(Shell("sleep 30", false)));
        pid = child.Pid();
    }
    EXPECT_TRUE(BecomesGone(pid));
}

TEST(Win32Process, GrandchildHoldingThePipeDoesNotHoldUpTheWait)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(Shell("sleep 30 & echo started")));
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(child.Wait(20000));
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_EQ(child.ExitCode(), 0);
    EXPECT_EQ(child.Output(), "started\n");
    ::kill(-child.Pid(), SIGKILL);   // the orphaned sleep
}

// The program ends by SIGTERM or SIGKILL, without a chance to clean up:
// the shell-script tool it was running goes, and so does the tool's own
// child, which the kernel's parent-death signal alone would leave behind.
TEST(Win32Process, ToolsAndTheirChildrenEndWithTheProgram)
{
    for (int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal);
        std::mutex mutex;
        std::vector<pid_t> pids;
        ChildProcess program;
        program.OnStdoutLine([&](const std::string& text) {
            std::lock_guard<std::mutex> guard(mutex);
            pids.push_back(std::atoi(text.c_str()));
        });
        ProcessSpec spec;
        spec.argv = {ExecutableFolder() + "child_holder"};
        ASSERT_TRUE(program.Start(spec)) << program.Error();
        auto count = [&] {
            std::lock_guard<std::mutex> guard(mutex);
            return pids.size();
        };
        for (int i = 0; i < 2000 && count() < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(count(), 2u);
        for (pid_t pid : pids) {
            ASSERT_GT(pid, 0);
            EXPECT_FALSE(IsGone(pid)) << pid;
        }
        ::kill(program.Pid(), signal);   // the program alone, not its group
        for (pid_t pid : pids)
            EXPECT_TRUE(BecomesGone(pid)) << pid;
        program.Wait();
        EXPECT_EQ(program.Signal(), signal);
    }
}

TEST(Win32Process, WhatAChildLeftRunningIsSweptWhenItEnds)
{
    ProcessResult r = RunProcess(Shell("sleep 60 & echo $!"), 20000);
    ASSERT_TRUE(r.Succeeded()) << r.error;
    const pid_t left = std::atoi(r.output.c_str());
    ASSERT_GT(left, 0);
    EXPECT_TRUE(BecomesGone(left));
}

TEST(Win32Process, FolderEnvironmentAndRedirections)
{
    TempFolder temp;
    ProcessSpec spec = Shell("pwd; echo \"$KELDARA_PROBE\"");
    spec.workingFolder = temp.path;
    spec.extraEnv = {{"KELDARA_PROBE", "a b"}, {"HOME", temp.path}};
    ProcessResult r = RunProcess(spec);
    ASSERT_TRUE(r.Succeeded());
    EXPECT_EQ(r.output, std::filesystem::canonical(temp.path).string() + "\na b\n");

    std::string in = JoinPath(temp.path, "in.txt"), out = JoinPath(temp.path, "out.txt");
    std::ofstream(in) << "payload\n";
    ProcessSpec cat;
    cat.argv = {"cat"};
    cat.stdinFile = in;
    cat.stdoutFile = out;
    ASSERT_TRUE(RunProcess(cat).Succeeded());
    std::ifstream result(out);
    std::stringstream text;
    text << result.rdbuf();
    EXPECT_EQ(text.str(), "payload\n");

    // Without a stdin file the child reads an empty input, never the terminal.
    ProcessResult empty = RunProcess(ProcessSpec{{"cat"}, "", {}, "", "", true});
    EXPECT_TRUE(empty.Succeeded());
    EXPECT_EQ(empty.output, "");

    cat.stdinFile = JoinPath(temp.path, "missing.txt");
    EXPECT_FALSE(RunProcess(cat).started);
}

TEST(Win32Process, OtherDescriptorsAreNotInherited)
{
    // Deliberately without close-on-exec, and above what ls opens for itself.
    int opened = ::open("/dev/null", O_RDONLY);
    int leaked = ::fcntl(opened, F_DUPFD, 40);
    ::close(opened);
    ASSERT_GE(leaked, 40);
    ProcessResult r = RunProcess(Shell("ls /proc/self/fd"));
    ::close(leaked);
    ASSERT_TRUE(r.Succeeded());
    std::istringstream names(r.output);
    std::string name;
    while (names >> name)
        EXPECT_NE(name, std::to_string(leaked));
}

TEST(Win32Process, CommandLinesSplitWithoutAShell)
{
    EXPECT_EQ(SplitCommandLine("regsvr32.exe /s audio.dll"),
              (std::vector<std::string>{"regsvr32.exe", "/s", "audio.dll"}));
    EXPECT_EQ(SplitCommandLine("  a   \"b c\"  \"\" d\\\"e $(x) ; f"),
              (std::vector<std::string>{"a", "b c", "", "d\"e", "$(x)", ";", "f"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

class RecordingLauncher : public Launcher {
public:
    bool Launch(const ProcessSpec& spec) override
    {
        launched.push_back(spec.argv);
        return true;
    }
    ProcessResult Run(const ProcessSpec& spec, std::uint32_t) override
    {
        launched.push_back(spec.argv);
        ProcessResult r;
        r.started = true;
        r.exitCode = 0;
        return r;
    }
    bool ShellOpen(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    std::vector<std::vector<std::string>> launched;
    std::vector<std::string> opened;
};

TEST(Win32Process, LaunchesGoThroughTheInstalledLauncher)
{
    RecordingLauncher fake;
    SetLauncher(&fake);
    EXPECT_TRUE(WinExec("keldara-absent-tool.exe import \"my audio.reg\""));
    // A tool delivered beside the executable is preferred to PATH.
    EXPECT_TRUE(WinExec("win32_tests.exe --gtest_list_tests"));
    EXPECT_TRUE(ShellOpen("https://example.invalid/help"));
    EXPECT_TRUE(RunHidden(Shell("true")).Succeeded());
    SetLauncher(nullptr);
    ASSERT_EQ(fake.launched.size(), 3u);
    EXPECT_EQ(fake.launched[0], (std::vector<std::string>{"keldara-absent-tool", "import", "my audio.reg"}));
    EXPECT_EQ(fake.launched[1], (std::vector<std::string>{ExecutableFolder() + "win32_tests", "--gtest_list_tests"}));
    EXPECT_EQ(fake.launched[2][0], "sh");
    EXPECT_EQ(fake.opened, (std::vector<std::string>{"https://example.invalid/help"}));
    EXPECT_NE(&CurrentLauncher(), &fake);
}

TEST(Win32Process, HiddenLaunchRunsOnItsOwn)
{
    TempFolder temp;
    std::string fifo = JoinPath(temp.path, "signal");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(WinExec("sh.exe -c \"echo launched > '" + fifo + "'\""));
    // The detached child writes to the fifo; a launch that failed never opens
    // it, so the read is polled for a minute at most rather than blocking.
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        char buffer[64];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(fd);
    EXPECT_EQ(text, "launched\n");
    EXPECT_FALSE(WinExec(""));
    EXPECT_FALSE(LaunchHidden(ProcessSpec{{"keldara-no-such-program-here"}, "", {}, "", "", false}));
}

} // namespace
