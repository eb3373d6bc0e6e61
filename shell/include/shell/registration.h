#pragma once
// The registration commands the main window runs at every start: they put the
// media filters and codecs into the component registry.
#include "win32/process.h"

#include <string>
#include <vector>

// The ten command lines, as run at every start.
const std::vector<std::string>& RegistrationCommands();
// The commands as programs to run: regsvr32.exe and reg are the project's
// tools beside the executable, and they run in the executable's folder,
// where the components are (from any other folder they could not find them).
std::vector<ProcessSpec> RegistrationSpecs();
// Runs them hidden, without waiting and without looking at the outcome.
void RunRegistrationCommands();
