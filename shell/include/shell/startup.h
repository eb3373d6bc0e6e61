#pragma once
// The program's start: the splash, every window made once in a fixed order,
// and the message loop. Also the registration commands the main window runs.
#include "win32/process.h"

#include <functional>
#include <string>
#include <vector>

class TApplication;

extern const char* const kApplicationTitle;   // "Keldara DVD Maker"

// One window of the start-up, by its global's name. `create` makes it through
// the application (nullptr: the window is not part of the program yet).
struct StartupWindow {
    std::string name;
    std::function<void(TApplication&)> create;
};
// Every window of the program in the order the start-up makes them; the main
// window comes first and so becomes the main form.
const std::vector<StartupWindow>& StartupWindows();
// The windows of the subsystems built on the shell (the production pipeline,
// the menu designer) take their place in the list through their creator,
// given by the program before the start-up runs. False for a name the list
// does not hold.
bool SetStartupWindowCreator(const std::string& name, std::function<void(TApplication&)> create);

// The ten command lines that register the media filters and codecs, as run at every start.
const std::vector<std::string>& RegistrationCommands();
// The commands as programs to run: regsvr32.exe and reg are the project's
// tools beside the executable, and they run in the executable's folder,
// where the components are (from any other folder they could not find them).
std::vector<ProcessSpec> RegistrationSpecs();
// Runs them hidden, without waiting and without looking at the outcome.
void RunRegistrationCommands();

// Start-up after the application is initialised: title, splash fade-in, the
// windows, fade-out, message loop. Answers the process's exit code.
int RunStartup(TApplication& app);
