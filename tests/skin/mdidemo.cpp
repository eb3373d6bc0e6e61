// A skinned MDI frame with three children (two with skinned frames and menus, one plain):
// mdidemo [--cascade | --tile | --vtile | --maximize] [--style N]
// --style gives the frame's built-in style (1 MacOS .. 5 BlueGlass, DeepBlue by default).
#include "skin/kivbutton.h"
#include "skin/kivform.h"
#include "skin/kivmainmenu.h"
#include "skin/kivmdiform.h"
#include "skin/kivprogressbar.h"

#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/stdctrls_edit.h"

#include <cstring>
#include <string>

namespace {

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const std::string& caption, TNotifyEvent click = {})
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->OnClick = std::move(click);
    parent->Add(item);
    return item;
}

class TDemoFrame : public TForm {
public:
    explicit TDemoFrame(TComponent* owner) : TForm(owner)
    {
        SetCaption("Keldara - MDI frame");
        SetBounds(40, 40, 900, 640);
        SetFormStyle(fsMDIForm);
        mdi = new TkivMDIForm(this);
        auto* menu = new TkivMainMenu(this);
        TMenuItem* file = Item(this, menu->Items(), "&File");
        Item(this, file, "E&xit", [this](TObject*) { Close(); });
        TMenuItem* window = Item(this, menu->Items(), "&Window");
        Item(this, window, "&Cascade", [this](TObject*) { Cascade(); });
        Item(this, window, "Tile &horizontally", [this](TObject*) { SetTileMode(tbHorizontal), Tile(); });
        Item(this, window, "Tile &vertically", [this](TObject*) { SetTileMode(tbVertical), Tile(); });
        Item(this, menu->Items(), "&Help");
        SetWindowMenu(window);
        mdi->SetMenu(menu);
    }
    TkivMDIForm* mdi = nullptr;
};

// A child with a skinned frame, a menu of its own and a few skinned controls.
TForm* SkinnedChild(TApplication& app, const std::string& caption, TkivUIStyle style)
{
    auto* f = NewForm<TForm>(&app);
    f->SetCaption(caption);
    f->SetFormStyle(fsMDIChild);
    f->SetBounds(0, 0, 360, 230);
    auto* frame = new TkivForm(f);
    auto* menu = new TkivMainMenu(f);
    TMenuItem* clip = Item(f, menu->Items(), "&Clip");
    Item(f, clip, "&Add...");
    Item(f, clip, "&Remove");
    Item(f, menu->Items(), "&View");
    frame->SetMenu(menu);
    frame->SetUIStyle(style);
    auto* label = new TLabel(f);
    label->SetParent(frame);
    label->SetTransparent(true);
    label->SetCaption(caption + ": a child with its own skinned frame");
    label->SetBounds(14, frame->TitleBarHeight() + 14, 320, 18);
    auto* button = new TkivButton(f);
    button->SetUIStyle(style);
    button->SetCaption("Preview");
    button->SetParent(frame);
    button->SetBounds(14, frame->TitleBarHeight() + 44, 90, 27);
    auto* progress = new TkivProgressBar(f);
    progress->SetUIStyle(style);
    progress->SetPosition(45);
    progress->SetParent(frame);
    progress->SetBounds(14, frame->TitleBarHeight() + 86, 320, 18);
    return f;
}

TForm* PlainChild(TApplication& app, const std::string& caption)
{
    auto* f = NewForm<TForm>(&app);
    f->SetCaption(caption);
    f->SetFormStyle(fsMDIChild);
    f->SetBounds(0, 0, 320, 180);
    f->SetColor(clWhite);
    auto* label = new TLabel(f);
    label->SetParent(f);
    label->SetCaption("A plain child: a one-line caption with a close box.");
    label->SetBounds(12, 12, 300, 18);
    auto* memo = new TMemo(f);
    memo->SetParent(f);
    memo->SetBounds(12, 40, 290, 110);
    memo->Lines()->Add("Notes for the disc");
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode;
    int style = DeepBlue;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--style") && i + 1 < argc) style = std::atoi(argv[++i]);
        else mode = argv[i];
    }
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    app.SetTitle("Skinned MDI frame");
    TDemoFrame* frame = nullptr;
    app.CreateForm(frame);
    frame->mdi->SetUIStyle(static_cast<TkivUIStyle>(style));
    frame->Show();
    TForm* clips = SkinnedChild(app, "Clip list", WinXP);
    clips->Show();
    TForm* preview = SkinnedChild(app, "Preview", BlueGlass);
    preview->Show();
    TForm* notes = PlainChild(app, "Notes");
    notes->Show();
    clips->SetBounds(20, 20, clips->Width(), clips->Height());
    preview->SetBounds(300, 140, preview->Width(), preview->Height());
    notes->SetBounds(120, 300, notes->Width(), notes->Height());
    if (mode == "--cascade") frame->Cascade();
    if (mode == "--tile") frame->SetTileMode(tbHorizontal), frame->Tile();
    if (mode == "--vtile") frame->SetTileMode(tbVertical), frame->Tile();
    if (mode == "--maximize") preview->SetWindowState(wsMaximized);
    app.Run();
    return 0;
}
