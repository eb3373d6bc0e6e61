#include "vcl/clipbrd.h"

#include "vcl/backend.h"

std::string TClipboard::AsText() const { return CurrentBackend().ClipboardText(); }
void TClipboard::SetAsText(const std::string& text) { CurrentBackend().SetClipboardText(text); }

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}
