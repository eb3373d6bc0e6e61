#include "shell/linklabel.h"

#include "skin/kivurllabel.h"
#include "vcl/stdctrls.h"

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
    auto* label = new TkivURLLabel(parent);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(9);
    label->SetFontLinkColor(kLinkColor);
    label->SetFontHoverColor(kLinkHoverColor);
    label->SetCaption(text);
    label->SetURL(address);
    label->SetLeft(x);
    label->SetTop(y);
    return label;
}
