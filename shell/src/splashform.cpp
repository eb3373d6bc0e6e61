#include "shell/splashform.h"

#include "base/mainlayout.h"
#include "base/programpictures.h"

#include "gfx/bitmap.h"
#include "rtl/clock.h"
#include "vcl/application.h"
#include "vcl/extctrls.h"

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner)
{
    BeginLoading();
    SetName("Form1");
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientWidth(mainlayout::kSplashWidth);
    SetClientHeight(mainlayout::kSplashHeight);
    SetAlphaBlend(true);
    SetAlphaBlendValue(0);
    SetColor(0x361A0A);
    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetBounds(0, 0, mainlayout::kSplashWidth, mainlayout::kSplashHeight);
    Image1->SetAlign(alClient);
    Image1->SetParent(this);
    TBitmap picture;
    if (LoadProgramPicture(mainlayout::kSplashFile, picture)) Image1->Picture()->Assign(&picture);
    EndLoading();
}

TForm1::~TForm1() = default;

namespace {

void Step(TForm1& splash)
{
    splash.SetAlphaBlendValue(splash.Alpha);
    Sleep(20);
    if (Application) Application->ProcessMessages();
}

} // namespace

void Fade(TForm1& splash)
{
    if (splash.FadeIn) {
        for (;;) {
            if (splash.Alpha >= 255) break;
            splash.Alpha += 10;
            if (splash.Alpha > 255) break;
            Step(splash);
        }
        splash.Alpha = 255;
    } else {
        for (;;) {
            if (splash.Alpha < 1) break;
            splash.Alpha -= 10;
            if (splash.Alpha < 0) break;
            Step(splash);
        }
        splash.Alpha = 0;
    }
    splash.SetAlphaBlendValue(splash.Alpha);
    splash.FadeIn = false;
}
