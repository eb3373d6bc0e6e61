#pragma once
// The About box: program name and version, build date, the home page and a
// mail contact as links, and a close button.
#include "gfx/bitmap.h"
#include "vcl/forms.h"

class TkivButton;

extern const char* const kHomePageAddress;
extern const char* const kCodecPageAddress;
extern const char* const kContactAddress;   // a mailto: address

class TForm_About : public TForm {
public:
    explicit TForm_About(TComponent* AOwner);
    ~TForm_About() override;

    TBitmap Background;                   // the box's picture, when delivered
    TControl* Label_Name = nullptr;
    TControl* Label_Version = nullptr;
    TControl* Label_Build = nullptr;
    TControl* Label_Copyright = nullptr;
    TControl* URLLabel_Home = nullptr;      // opens the home page
    TControl* URLLabel_Mail = nullptr;      // opens a mail to the contact address
    TkivButton* Button_Close = nullptr;   // closes the box (modal result OK)
};
