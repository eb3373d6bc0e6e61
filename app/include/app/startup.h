#pragma once
// The program's start: the splash, every window made once in a fixed order,
// and the message loop.
#include <functional>
#include <string>
#include <vector>

class TApplication;

// One window of the start-up, by its global's name, and how the application makes it.
struct StartupWindow {
    std::string name;
    std::function<void(TApplication&)> create;
};
// Every window of the program in the order the start-up makes them; the main
// window comes first and so becomes the main form.
const std::vector<StartupWindow>& StartupWindows();

// Start-up after the application is initialised: title, splash fade-in, the
// windows, fade-out, message loop. Answers the process's exit code.
int RunStartup(TApplication& app);
