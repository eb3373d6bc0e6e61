#include "win32/process.h"

struct ChildProcess::State {};
ChildProcess::ChildProcess() : state_(std::make_shared<State>()) {}
ChildProcess::~ChildProcess() = default;
void ChildProcess::OnStdoutLine(LineCallback) {}
void ChildProcess::OnStderrLine(LineCallback) {}
bool ChildProcess::Start(const ProcessSpec&) { return false; }
bool ChildProcess::Wait(std::uint32_t) { return true; }
bool ChildProcess::Running() const { return false; }
void ChildProcess::Cancel(std::uint32_t) {}
void ChildProcess::Detach() {}
pid_t ChildProcess::Pid() const { return -1; }
int ChildProcess::ExitCode() const { return -1; }
int ChildProcess::Signal() const { return 0; }
bool ChildProcess::Cancelled() const { return false; }
std::string ChildProcess::Error() const { return {}; }
std::string ChildProcess::Output() const { return {}; }
std::string ChildProcess::Errors() const { return {}; }
ProcessResult ChildProcess::Result() const { return {}; }
ProcessResult RunProcess(const ProcessSpec&, std::uint32_t, LineCallback, LineCallback) { return {}; }
std::vector<std::string> SplitCommandLine(std::string_view) { return {}; }
bool SystemLauncher::Launch(const ProcessSpec&) { return false; }
ProcessResult SystemLauncher::Run(const ProcessSpec&, std::uint32_t) { return {}; }
bool SystemLauncher::ShellOpen(const std::string&) { return false; }
Launcher& CurrentLauncher() { static SystemLauncher l; return l; }
void SetLauncher(Launcher*) {}
bool LaunchHidden(const ProcessSpec&) { return false; }
ProcessResult RunHidden(const ProcessSpec&, std::uint32_t) { return {}; }
bool ShellOpen(const std::string&) { return false; }
bool WinExec(std::string_view) { return false; }
