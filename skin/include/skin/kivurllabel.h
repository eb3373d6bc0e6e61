#pragma once
// A link label: an underlined caption that opens its address with the
// desktop's handler when clicked and takes the hover colour under the pointer.
#include "vcl/stdctrls.h"

#include <string>

class TkivURLLabel : public TCustomLabel {
public:
    explicit TkivURLLabel(TComponent* AOwner);

    const std::string& URL() const { return url_; }
    void SetURL(const std::string& value);
    TColor FontHoverColor() const { return fontHoverColor_; }
    void SetFontHoverColor(TColor value) { fontHoverColor_ = value; }
    TColor FontLinkColor() const { return fontLinkColor_; }
    void SetFontLinkColor(TColor value);

    void WndProc(TMessage& Message) override;

protected:
    // Opens the address (web, "mailto:" or file alike), then fires OnClick.
    void Click() override;

private:
    std::string url_;
    TColor fontHoverColor_ = clRed;
    TColor fontLinkColor_ = clBlue;
};
