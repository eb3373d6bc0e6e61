// The disc-kind choice and the folder chooser in real windows, for
// screenshots: choicedemo folder opens the folder dialog from a small form;
// choicedemo MODE [KIND] (mode 0 build, 1 convert, 2 burn) shows the choice
// window, with KIND (1 DVD, 2 SVCD, 3 VCD) chosen once it is up.
#include "base/fschoosefolder.h"
#include "base/projectdata.h"
#include "shell/qv_videodvdselectform.h"

#include "skin/kivbutton.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/timer.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A form with a Browse button and the answer under it; the dialog opens by itself.
class TFolderDemo : public TForm {
public:
    explicit TFolderDemo(TComponent* owner) : TForm(owner)
    {
        SetBounds(40, 40, 420, 150);
        SetCaption("Folder chooser");
        folder = new TEdit(this);
        folder->SetParent(this);
        folder->SetBounds(16, 20, 290, 24);
        folder->SetReadOnly(true);
        auto* browse = new TkivButton(this);
        browse->SetParent(this);
        browse->SetCaption("Browse...");
        browse->SetBounds(316, 18, 88, 27);
        browse->OnClick = [this](TObject*) { Browse(); };
        selection = new TLabel(this);
        selection->SetParent(this);
        selection->SetBounds(16, 60, 390, 60);
        selection->SetWordWrap(true);
        chooser = new TfsChooseFolder(this);
        chooser->SetTitle("Please select DVD directory in your hard disk.");
        chooser->SetHandleCallBack(true);
        chooser->OnCallBack = [](HWND, UINT msg, LPARAM, LPARAM lParam) {
            if (msg == BFFM_SELCHANGED) std::printf("selected %s\n", reinterpret_cast<const char*>(lParam));
            else if (msg == BFFM_INITIALIZED) std::printf("dialog up\n");
            std::fflush(stdout);
        };
        opener = new TTimer(this);
        opener->SetInterval(300);
        opener->OnTimer = [this](TObject*) {
            opener->SetEnabled(false);
            Browse();
        };
    }
    void Browse()
    {
        if (chooser->Execute()) {
            folder->SetText(chooser->FolderName);
            selection->SetCaption("Chosen: " + chooser->DisplayName);
        } else {
            selection->SetCaption("Cancelled");
        }
    }

private:
    TEdit* folder = nullptr;
    TLabel* selection = nullptr;
    TfsChooseFolder* chooser = nullptr;
    TTimer* opener = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "folder";
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    if (what == "folder") {
        TFolderDemo* form = nullptr;
        app.CreateForm(form);
        form->Show();
        app.Run();
        return 0;
    }
    if (what != "0" && what != "1" && what != "2") {
        std::fprintf(stderr, "usage: choicedemo folder | MODE [KIND]\n");
        return 2;
    }
    app.CreateForm(QV_Video_DVD_Select_Form);
    TTimer chooser(nullptr);
    chooser.SetInterval(200);
    chooser.OnTimer = [&](TObject*) {
        chooser.SetEnabled(false);
        TQV_Video_DVD_Select_Form& f = *QV_Video_DVD_Select_Form;
        const std::string k = argc > 2 ? argv[2] : "1";
        if (k == "2") f.kivImageButton_SelectSVCDClick(nullptr);
        else if (k == "3") f.kivImageButton_SelectVCDClick(nullptr);
    };
    const int kind = QV_Video_DVD_Select_Form->ChooseDiscKind(what[0] - '0');
    std::printf("chosen %d\n", kind);
    return 0;
}
