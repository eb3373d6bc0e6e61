// Shows a shaped skin form drawn from one built-in style's pictures:
// skindemo STYLE(1..5) [--headless OUT.bmp | --notice | --thememgr].
// With --notice a pop-up notice slides in at the work area's corner and stays;
// --thememgr shows the theme manager's dialog beside the form.
#include "skin/frmmsnpop.h"
#include "skin/frmthememgr.h"
#include "skin/kivpublic.h"
#include "skin/kivskinform.h"
#include "skin/kivthemes.h"

#include "gfx/canvas.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <cstdlib>
#include <cstring>

namespace {

// The skin picture: a rounded panel in the style's colours with its title bar,
// buttons, check boxes and a progress bar drawn by the skin helpers.
TBitmap MakeSkin(TkivUIStyle s)
{
    const int W = 300, H = 200;
    TBitmap skin(W, H, pf24bit);
    TCanvas* c = skin.Canvas();
    c->Brush()->SetColor(0xFF00FF);
    c->FillRect(Rect(0, 0, W, H));
    c->Brush()->SetColor(GetInsideThemeColor(s, 15));
    c->Pen()->SetColor(GetInsideThemeColor(s, 16));
    c->RoundRect(0, 0, W, H, 24, 24);
    TBitmap left, client, right, btn, button, check, radio, progress;
    GetInsideThemeBitmap(s, 10, &left);
    GetInsideThemeBitmap(s, 11, &client);
    GetInsideThemeBitmap(s, 12, &right);
    const int th = client.Height();
    c->StretchDraw(Rect(left.Width(), 0, W - right.Width(), th), client);
    left.SetTransparent(true);
    right.SetTransparent(true);
    left.SetTransparentColor(0xFF00FF);
    right.SetTransparentColor(0xFF00FF);
    c->Draw(0, 0, left);
    c->Draw(W - right.Width(), 0, right);
    const int top = GetInsideThemeInt(s, 9);
    for (int k = 0; k < 3; ++k) {
        const int frames[3] = {16, 13, 7};
        GetInsideThemeBitmap(s, 5, &btn, 18, frames[k]);
        btn.SetTransparent(true);
        btn.SetTransparentColor(0xFF00FF);
        c->Draw(W - 12 - (k + 1) * (btn.Width() + 2), top, btn);
    }
    c->Font()->SetName("Arial");
    c->Font()->SetColor(GetInsideThemeColor(s, 44));
    c->Brush()->SetStyle(bsClear);
    c->TextOut(14, (th - c->TextHeight("Kg")) / 2, "Keldara");
    for (int k = 0; k < 3; ++k) {
        GetInsideThemeBitmap(s, 1, &button, 3, k + 1);
        SpitDraw(&button, c, Bounds(20 + k * 90, 50, 80, 26), GetInsideThemeBool(s, 2));
    }
    c->Font()->SetColor(GetInsideThemeColor(s, 27));
    for (int k = 0; k < 2; ++k) {
        GetInsideThemeBitmap(s, 3, &check, 4, k + 1);
        GetInsideThemeBitmap(s, 4, &radio, 4, k + 1);
        check.SetTransparent(true), check.SetTransparentColor(0xFF00FF);
        radio.SetTransparent(true), radio.SetTransparentColor(0xFF00FF);
        c->Draw(24, 94 + k * 22, check);
        c->TextOut(42, 92 + k * 22, k ? "Unchecked" : "Checked");
        c->Draw(150, 94 + k * 22, radio);
        c->TextOut(168, 92 + k * 22, k ? "Option B" : "Option A");
    }
    GetInsideThemeBitmap(s, 24, &progress);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(GetInsideThemeColor(s, 26));
    c->Pen()->SetColor(GetInsideThemeColor(s, 25));
    c->Rectangle(20, 150, 280, 166);
    c->StretchDraw(Rect(21, 151, 190, 165), progress);
    return skin;
}

TkivUIStyle gStyle = DeepBlue;

class TDemo : public TForm {
public:
    explicit TDemo(TComponent* owner, TkivUIStyle s = gStyle) : TForm(owner)
    {
        SetBounds(200, 200, 320, 220);
        auto* skin = new TkivSkinForm(this);
        skin->SetParent(this);
        skin->SetGlyph(MakeSkin(s));
    }
};

} // namespace

int main(int argc, char** argv)
{
    const auto style = static_cast<TkivUIStyle>(argc > 1 ? std::atoi(argv[1]) : 3);
    TApplication app;
    if (argc == 4 && std::strcmp(argv[2], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TDemo>(&app, style);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[3]);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    gStyle = style;
    TDemo* form = nullptr;
    app.CreateForm(form);
    if (argc == 3 && std::strcmp(argv[2], "--notice") == 0) {
        auto* notice = NewForm<TfrmMSNPopForm>(&app);
        notice->ShowTime = 600000;
        notice->lbl_title->SetCaption("Keldara");
        notice->lbl_text->SetCaption("The disc was written and checked. You can take it out of the drive now.");
        auto* later = new TTimer(&app);
        later->SetInterval(500);
        later->OnTimer = [notice, later](TObject*) {
            later->SetEnabled(false);
            notice->Popup();
        };
    }
    if (argc == 3 && std::strcmp(argv[2], "--thememgr") == 0) {
        auto* dialog = NewForm<TfrmMgr>(&app);
        for (const char* name : {"kivButton_OK", "kivButton_Cancel", "kivCheckBox_Loop", "kivProgressBar1",
                                 "kivTrackBar_Volume"})
            dialog->List->Items()->Add(name);
        dialog->List->SetChecked(0, true);
        dialog->List->SetChecked(2, true);
        dialog->List->SetItemIndex(2);
        dialog->Show();
    }
    app.Run();
    return 0;
}
