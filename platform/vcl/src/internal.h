#pragma once
// Shared between the framework's own units; not part of the public interface.
#include "vcl/controls.h"

void SetKeyboardShiftState(TShiftState state);
class TCustomForm;
// The form on top of the modal stack, nullptr when no modal loop runs.
TCustomForm* TopModalForm();
