#pragma once
// The disc-burner setup window: lists files that already exist for burning,
// a DVD folder or SVCD/VCD MPEG files, shows how full the disc will be,
// checks that the files suit the disc kind and hands them to the
// burning-process window. Its model is BurnFileList; the window only shows
// it and asks the dialogs.
#include "pipeline/burnfilelist.h"

#include "base/taskwindows.h"
#include "vcl/forms.h"

#include <memory>

class TfsChooseFolder;
class TImage;
class TkivImageButton;
class TkivPopupMenu;
class TkivProgressBar;
class TkivSkinForm;
class TkivStringGrid;
class TLabel;
class TMenuItem;
class TOpenDialog;

// The burning-process window, as this window opens it.
class BurningProcessSteps {
public:
    virtual ~BurningProcessSteps() = default;
    // Takes the lists (shared, not copied) and sets up the burner for the
    // kind; false when the burning system cannot be set up.
    virtual bool InitBurningProcess(int discType, std::shared_ptr<BurnFiles> files) = 0;
    virtual void ShowBurningProcess() = 0;
};
constexpr const char* kBurningProcessWindowName = "QV_Video_DVD_Disc_Burning_Process_Form";

class TQV_Video_DVD_Setup_Disc_Burner_Form : public TForm, public DiscBurnerSetupSteps {
public:
    explicit TQV_Video_DVD_Setup_Disc_Burner_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Setup_Disc_Burner_Form() override;

    void InitBurnFileList(int kind) override;
    void ShowDiscBurnerSetup() override;

    BurnFileList Model;

    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivStringGrid* kivStringGrid_BurnFileInfo = nullptr;
    TkivImageButton* kivImageButton_AddFile = nullptr;
    TkivImageButton* kivImageButton2 = nullptr;   // add a folder
    TkivImageButton* kivImageButton3 = nullptr;   // burn
    TkivImageButton* kivImageButton_Close = nullptr;
    TkivProgressBar* kivProgressBar1 = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    TfsChooseFolder* fsChooseFolde = nullptr;
    TkivPopupMenu* kivPopupMenu1 = nullptr;
    TMenuItem* Delete1 = nullptr;
    TMenuItem* DeleteAll1 = nullptr;
    TImage* Image_Vol = nullptr;
    TImage* Image_SVCD = nullptr;
    TImage* Image_VCD = nullptr;
    TLabel* Label_Note = nullptr;
    TLabel* Label_Fill = nullptr;

    void kivImageButton_AddFileClick(TObject* Sender);
    void kivImageButton2Click(TObject* Sender);
    void kivStringGrid_BurnFileInfoMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Delete1Click(TObject* Sender);
    void DeleteAll1Click(TObject* Sender);
    void kivImageButton3Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // The grid and the fill bar shown afresh from the lists; the box when the
    // disc cannot hold them.
    void RefreshGrid();
};
