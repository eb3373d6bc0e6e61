#include "shell/linklabel.h"

#include "vcl/stdctrls.h"
#include "win32/process.h"

TControl* NewTextLabel(TWinControl* parent, const char* name, int x, int y, const std::string& text, int size,
                       TColor color, bool bold)
{
    auto* label = new TLabel(parent);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->SetAutoSize(true);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(size);
    label->Font()->SetColor(color);
    if (bold) label->Font()->SetStyle(TFontStyles{fsBold});
    label->SetCaption(text);
    label->SetLeft(x);
    label->SetTop(y);
    return label;
}

TControl* NewLinkLabel(TWinControl* parent, const char* name, int x, int y, const std::string& text,
                       const std::string& address)
{
    TControl* label = NewTextLabel(parent, name, x, y, text, 9, kLinkColor);
    label->Font()->SetStyle(TFontStyles{fsUnderline});
    label->SetCursor(crHandPoint);
    label->OnMouseEnter = [label](TObject*) { label->Font()->SetColor(kLinkHoverColor); };
    label->OnMouseLeave = [label](TObject*) { label->Font()->SetColor(kLinkColor); };
    label->OnClick = [address](TObject*) { ShellOpen(address); };
    return label;
}
