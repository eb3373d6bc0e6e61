#include "skin/kivurllabel.h"

#include "rtl/sysutils.h"
#include "vcl/messages.h"
#include "win32/process.h"

TkivURLLabel::TkivURLLabel(TComponent* AOwner) : TCustomLabel(AOwner)
{
    Font()->SetStyle(TFontStyles{fsUnderline});
    Font()->SetColor(fontLinkColor_);
    SetCursor(crHandPoint);
    SetAutoSize(true);
    SetCaption("URL Label");
}

void TkivURLLabel::SetURL(const std::string& value)
{
    if (value != url_) url_ = value;
}

void TkivURLLabel::SetFontLinkColor(TColor value)
{
    fontLinkColor_ = value;
    Font()->SetColor(value);
}

// The address goes to the desktop's opener as one argument, never through a shell.
void TkivURLLabel::Click()
{
    const std::string target = Trim(url_);
    if (!target.empty()) ShellOpen(target);
    TCustomLabel::Click();
}

void TkivURLLabel::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSEENTER:
        Font()->SetColor(fontHoverColor_);
        break;
    case CM_MOUSELEAVE:
        Font()->SetColor(fontLinkColor_);
        break;
    default:
        break;
    }
    TCustomLabel::WndProc(m);
}
