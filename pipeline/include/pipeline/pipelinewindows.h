#pragma once
// The production pipeline's windows take their places among the program's
// start-up windows (the program calls this before the start-up runs).
void RegisterPipelineWindows();
