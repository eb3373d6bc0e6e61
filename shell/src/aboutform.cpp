#include "shell/aboutform.h"

#include "base/mainlayout.h"
#include "base/programpictures.h"
#include "shell/linklabel.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "gfx/canvas.h"

#include <string>

const char* const kHomePageAddress = "https://www.keldara.example/";
const char* const kCodecPageAddress = "https://www.keldara.example/codecs.html";
const char* const kContactAddress = "mailto:support@keldara.example";

TForm_About::TForm_About(TComponent* AOwner) : TForm(AOwner)
{
    BeginLoading();
    SetName("Form_About");
    SetCaption("About Keldara DVD Maker");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(mainlayout::kAboutWidth);
    SetClientHeight(mainlayout::kAboutHeight);
    SetColor(0xF6EEE4);

    const bool drawn = LoadProgramPicture(mainlayout::kAboutFile, Background);
    OnPaint = [this](TObject*) {
        if (!Background.Empty()) Canvas()->Draw(0, 0, Background);
    };

    // The picture carries the name and version on its title band; without it they are labels.
    Label_Name = NewTextLabel(this, "Label_Name", 76, 12, "Keldara DVD Maker", 16, clWhite, true);
    Label_Version = NewTextLabel(this, "Label_Version", 78, 38, "Version 1.0", 9, 0xFAE2CF);
    Label_Name->SetVisible(!drawn);
    Label_Version->SetVisible(!drawn);
    Label_Build = NewTextLabel(this, "Label_Build", 24, 80, std::string("Built on ") + __DATE__, 9, 0x402A1A);
    Label_Copyright = NewTextLabel(this, "Label_Copyright", 24, 100,
                               "Turns video clips into DVD, SVCD and VCD discs.", 9, 0x402A1A);
    NewTextLabel(this, "Label_HomeTitle", 24, 128, "Home page:", 9, 0x402A1A);
    URLLabel_Home = NewLinkLabel(this, "URLLabel_Home", 110, 128, kHomePageAddress, kHomePageAddress);
    NewTextLabel(this, "Label_MailTitle", 24, 148, "Contact:", 9, 0x402A1A);
    URLLabel_Mail = NewLinkLabel(this, "URLLabel_Mail", 110, 148, "support@keldara.example", kContactAddress);

    Button_Close = new TkivButton(this);
    Button_Close->SetName("Button_Close");
    Button_Close->SetParent(this);
    Button_Close->SetCaption("Close");
    Button_Close->SetBounds(mainlayout::kAboutWidth - 96, mainlayout::kAboutHeight - 40, 80, 27);
    Button_Close->SetModalResult(mrOk);
    Button_Close->SetCancel(true);
    Button_Close->SetDefault(true);
    EndLoading();
}

TForm_About::~TForm_About() = default;
