#pragma once
// The X11 screen-saver extension, kept apart because Xlib's macros clash with Qt's and ours.

// Suspends (or resumes) the screen saver of the X display (a Display*); false
// when the display is null or lacks the extension.
bool SuspendX11ScreenSaver(void* display, bool suspend);
