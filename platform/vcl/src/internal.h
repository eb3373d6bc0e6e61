#pragma once
// Shared between the framework's own units; not part of the public interface.
#include "gfx/canvas.h"
#include "vcl/controls.h"

// Keeps a canvas's tools, clip and origin for one scope: saved on entry, restored on every way out.
struct SavedDC {
    TCanvas& c;
    explicit SavedDC(TCanvas& canvas) : c(canvas) { c.SaveDC(); }
    ~SavedDC() { c.RestoreDC(-1); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;
};

void SetKeyboardShiftState(TShiftState state);
class TCustomForm;
// The form on top of the modal stack, nullptr when no modal loop runs.
TCustomForm* TopModalForm();
