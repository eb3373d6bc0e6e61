// Skinned form frames with title bar, menu bar and controls, one window per built-in style:
// formsdemo [--headless OUT.bmp] [--style N] [--maximized] [--sysmenu] [--menu]
// --style shows only style N (1 MacOS .. 5 BlueGlass); --maximized maximizes it, --sysmenu opens
// its system menu, --menu drops its first menu down.
#include "skin/kivbutton.h"
#include "skin/kivform.h"
#include "skin/kivmainmenu.h"
#include "skin/kivprogressbar.h"
#include "skin/kivtrackbar.h"

#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};

class TFrameDemo : public TForm {
public:
    TFrameDemo(TComponent* owner, TkivUIStyle style) : TForm(owner)
    {
        SetCaption(std::string("Keldara - ") + kStyleNames[style] + " frame with a long caption to cut");
        SetBounds(0, 0, 400, 290);
        frame = new TkivForm(this);

        menu = new TkivMainMenu(this);
        auto item = [&](TMenuItem* parent, const std::string& caption, TShortCut shortCut = 0) {
            auto* it = new TMenuItem(this);
            it->SetCaption(caption);
            it->SetShortCut(shortCut);
            parent->Add(it);
            return it;
        };
        TMenuItem* file = item(menu->Items(), "&File");
        item(file, "&Open...", ShortCut('O', ssCtrl));
        item(file, "&Save", ShortCut('S', ssCtrl));
        item(file, "-");
        item(file, "E&xit");
        TMenuItem* edit = item(menu->Items(), "&Edit");
        item(edit, "&Copy", ShortCut('C', ssCtrl));
        item(menu->Items(), "&View");
        TMenuItem* help = item(menu->Items(), "&Help");
        item(help, "&About");
        frame->SetMenu(menu);
        frame->SetUIStyle(style);

        auto place = [&](TControl* c, int x, int y, int w, int h) {
            c->SetParent(frame);
            c->SetBounds(x, y, w, h);
        };
        const int top = frame->TitleBarHeight() + 22 + 12;
        auto* label = new TLabel(this);
        label->SetCaption(std::string("The ") + kStyleNames[style] + " look");
        label->SetTransparent(true);
        place(label, 16, top, 200, 18);
        auto* ok = new TkivButton(this);
        ok->SetUIStyle(style);
        ok->SetCaption("OK");
        place(ok, 16, top + 30, 80, 27);
        auto* cancel = new TkivButton(this);
        cancel->SetUIStyle(style);
        cancel->SetCaption("Cancel");
        place(cancel, 106, top + 30, 80, 27);
        auto* check = new TkivCheckBox(this);
        check->SetUIStyle(style);
        check->SetCaption("Burn after building");
        check->SetChecked(true);
        check->SetTransparent(true);
        place(check, 16, top + 70, 180, 17);
        auto* progress = new TkivProgressBar(this);
        progress->SetUIStyle(style);
        progress->SetPosition(60);
        place(progress, 16, top + 100, 360, 18);
        auto* track = new TkivTrackBar(this);
        track->SetUIStyle(style);
        track->SetMax(100);
        track->SetPosition(35);
        track->SetShowTick(false);
        place(track, 16, top + 130, 360, 22);
    }

    TkivForm* frame = nullptr;
    TkivMainMenu* menu = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    std::string headlessOut;
    int only = 0;
    bool maximized = false, sysmenu = false, dropMenu = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--headless") && i + 1 < argc) headlessOut = argv[++i];
        else if (!std::strcmp(argv[i], "--style") && i + 1 < argc) only = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--maximized")) maximized = true;
        else if (!std::strcmp(argv[i], "--sysmenu")) sysmenu = true;
        else if (!std::strcmp(argv[i], "--menu")) dropMenu = true;
    }
    TApplication app;
    if (!headlessOut.empty()) app.SetBackend(std::make_unique<THeadlessBackend>());
    else app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    app.SetTitle("Skinned form frames");

    std::vector<TFrameDemo*> forms;
    for (int s = 1; s <= 5; ++s) {
        if (only && s != only) continue;
        auto* f = NewForm<TFrameDemo>(&app, static_cast<TkivUIStyle>(s));
        const int i = static_cast<int>(forms.size());
        f->SetBounds(20 + (i % 3) * 420, 30 + (i / 3) * 330, f->Width(), f->Height());
        forms.push_back(f);
    }
    if (!headlessOut.empty()) {
        forms.front()->Show();
        if (maximized) forms.front()->SetWindowState(wsMaximized);
        HeadlessBackend()->Snapshot(*forms.front())->SaveToFile(headlessOut);
        return 0;
    }
    for (TFrameDemo* f : forms) f->Show();
    if (maximized) forms.front()->SetWindowState(wsMaximized);
    TTimer timer(nullptr);
    timer.SetEnabled(sysmenu || dropMenu);
    timer.SetInterval(500);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        TFrameDemo* f = forms.front();
        if (sysmenu) f->frame->TitleBar()->PopupSystemMenu();
        else f->frame->MenuBar()->DropDown(f->frame->MenuBar()->Buttons(0));
    };
    // Closing any window ends the demo.
    for (TFrameDemo* f : forms) f->OnClose = [&](TObject*, TCloseAction&) { app.Terminate(); };
    app.Run();
    return 0;
}
