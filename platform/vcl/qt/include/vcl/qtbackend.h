#pragma once
// The Qt 6 backend: each form is a real top-level window showing the form's
// back buffer; native input becomes the forms' Input* calls. This header holds
// no Qt types, so the program can choose the backend without seeing Qt.
#include "gfx/bitmap.h"
#include "vcl/backend.h"

#include <memory>

// Makes the backend (and the Qt application object when none exists yet).
// argc/argv are the program's; Qt keeps using them, so they must outlive it.
std::unique_ptr<Backend> CreateQtBackend(int& argc, char** argv);
// A factory for TApplication::Initialize: KELDARA_BACKEND=headless still wins.
BackendFactory QtBackendFactory(int& argc, char** argv);

// What the form's window shows now (nullptr when it has no window), for checks.
std::unique_ptr<TBitmap> QtWindowPicture(TCustomForm& form);
// The display's pixels in a screen rectangle, as a screenshot takes them
// (nullptr without Qt's application object or a screen).
std::unique_ptr<TBitmap> QtScreenPicture(const TRect& screenRect);
// The window's current native state, for checks: visible, opacity (0..255), frameless, on top.
struct QtWindowState {
    bool exists = false;
    bool visible = false;
    int alpha = 255;
    bool frameless = false;
    bool stayOnTop = false;
    bool masked = false;
    bool modal = false;
    TRect geometry;
};
QtWindowState QtWindowStateOf(TCustomForm& form);

// Native input sent to the form's window as Qt events, for checks of the translation.
bool QtSendClick(TCustomForm& form, int x, int y);
bool QtSendKey(TCustomForm& form, int qtKey, const std::string& text, bool shift = false);
// Qt's key numbers for the checks above (Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape).
int QtKeyReturn();
int QtKeyTab();
int QtKeyEscape();
