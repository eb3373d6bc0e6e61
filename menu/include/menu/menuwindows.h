#pragma once
// The menu designer's windows in the program's start-up: the text property
// dialog and the designer take their places in the start-up list.
void RegisterMenuWindows();
