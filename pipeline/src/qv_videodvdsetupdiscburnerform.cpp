#include "pipeline/qv_videodvdsetupdiscburnerform.h"

#include "pipeline/burnerlayout.h"

#include "base/fschoosefolder.h"
#include "base/programpictures.h"
#include "skin/kivbutton.h"
#include "skin/kivgrid.h"
#include "skin/kivpopupmenu.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinform.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"

#include <algorithm>

namespace {

namespace layout = burnerlayout;

void Inform(const std::string& text) { MessageDlg(text, mtInformation, MsgButtons({mbOK})); }

TImage* NewPicture(TWinControl* parent, const char* name, const mainlayout::Place& p, const char* file)
{
    auto* image = new TImage(parent);
    image->SetName(name);
    image->SetBounds(p.left, p.top, p.width, p.height);
    image->SetTransparent(true);
    TBitmap bitmap;
    if (LoadProgramPicture(file, bitmap)) image->Picture()->Assign(&bitmap);
    image->SetParent(parent);
    return image;
}

TMenuItem* NewItem(TMenu* menu, const char* name, const char* caption, TNotifyEvent onClick)
{
    auto* item = new TMenuItem(menu);
    item->SetName(name);
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    menu->Items()->Add(item);
    return item;
}

} // namespace

TQV_Video_DVD_Setup_Disc_Burner_Form::TQV_Video_DVD_Setup_Disc_Burner_Form(TComponent* AOwner) : TForm(AOwner)
{
    using namespace layout;
    using Self = TQV_Video_DVD_Setup_Disc_Burner_Form;
    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    BeginLoading();
    SetName(kDiscBurnerSetupWindowName);
    SetCaption("Disc Burner");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

    Image_Vol = NewPicture(this, "Image_Vol", kVolume, kVolumeFile);
    Image_SVCD = NewPicture(this, "Image_SVCD", kKind, kSvcdFile);
    Image_VCD = NewPicture(this, "Image_VCD", kKind, kVcdFile);
    Label_Note = NewLabel(this, "Label_Note", kNote, kDimTextColor, 8);

    kivImageButton_AddFile = NewPictureButton(this, "kivImageButton_AddFile", kAdd, kAddFilesFile, "Add files",
                                              on(&Self::kivImageButton_AddFileClick));
    kivImageButton2 = NewPictureButton(this, "kivImageButton2", kAdd, kAddFolderFile, "Add a DVD folder",
                                       on(&Self::kivImageButton2Click));

    kivPopupMenu1 = new TkivPopupMenu(this);
    kivPopupMenu1->SetName("kivPopupMenu1");
    Delete1 = NewItem(kivPopupMenu1, "Delete1", "Delete", on(&Self::Delete1Click));
    DeleteAll1 = NewItem(kivPopupMenu1, "DeleteAll1", "Delete All", on(&Self::DeleteAll1Click));

    kivStringGrid_BurnFileInfo = new TkivStringGrid(this);
    TkivStringGrid* grid = kivStringGrid_BurnFileInfo;
    grid->SetName("kivStringGrid_BurnFileInfo");
    grid->SetBounds(kGrid.left, kGrid.top, kGrid.width, kGrid.height);
    grid->Font()->SetName("Arial");
    grid->Font()->SetSize(8);
    grid->SetColCount(3);
    grid->SetFixedCols(0);
    grid->SetRowCount(BurnFileList::kMinRows);
    grid->SetFixedRows(1);
    grid->SetDefaultRowHeight(kRowHeight);
    grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    // The chosen row in the skin's blue, its text readable in white.
    grid->SetSelectedColor(0xA8602C);
    grid->SetFocusedColor(0xA8602C);
    grid->SetColWidths(0, BurnFileList::kNameWidth);
    grid->SetColWidths(1, BurnFileList::kTypeWidth);
    grid->SetColWidths(2, BurnFileList::kSizeWidth);
    grid->OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        kivStringGrid_BurnFileInfoMouseDown(sender, button, shift, x, y);
    };
    grid->SetParent(this);

    Label_Fill = NewLabel(this, "Label_Fill", kFillLabel, kTextColor, 8, true);
    Label_Fill->SetCaption("Disc usage :");
    kivProgressBar1 = new TkivProgressBar(this);
    kivProgressBar1->SetName("kivProgressBar1");
    kivProgressBar1->SetBounds(kFill.left, kFill.top, kFill.width, kFill.height);
    kivProgressBar1->SetMax(100);
    kivProgressBar1->SetShowCaption(true);
    kivProgressBar1->SetParent(this);

    kivImageButton3 = NewPictureButton(this, "kivImageButton3", kBurn, kBurnFile, "Burn the listed files",
                                       on(&Self::kivImageButton3Click));
    kivImageButton_Close = NewPictureButton(this, "kivImageButton_Close", kClose, kCloseFile, "Close",
                                            [this](TObject*) { Close(); });

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->Title = "Add DVD Burning File";
    OpenDialog->Options |= ofAllowMultiSelect | ofFileMustExist;
    fsChooseFolde = new TfsChooseFolder(this);
    fsChooseFolde->SetName("fsChooseFolde");
    fsChooseFolde->SetTitle("Please select DVD directory in your hard disk.");
    EndLoading();
}

TQV_Video_DVD_Setup_Disc_Burner_Form::~TQV_Video_DVD_Setup_Disc_Burner_Form() = default;

void TQV_Video_DVD_Setup_Disc_Burner_Form::InitBurnFileList(int kind)
{
    TkivStringGrid* grid = kivStringGrid_BurnFileInfo;
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, "");
    grid->SetRowCount(BurnFileList::kMinRows);
    grid->SetFixedRows(1);
    grid->SetTopRow(1);
    Model.Init(kind);
    OpenDialog->Filter = Model.FileFilter();
    Image_Vol->SetVisible(false);
    Image_SVCD->SetVisible(false);
    Image_VCD->SetVisible(false);
    kivProgressBar1->SetPosition(0);
    const bool dvd = kind <= 1;
    kivImageButton2->SetVisible(dvd);
    kivImageButton_AddFile->SetVisible(!dvd);
    if (!dvd) {
        Image_Vol->SetVisible(true);
        (kind == 2 ? Image_SVCD : Image_VCD)->SetVisible(true);
    }
    Label_Note->SetLeft(dvd ? layout::kVolume.left : layout::kNote.left);
    Label_Note->SetCaption(dvd ? "A DVD folder: its IFO, VOB and BUP files."
                               : kind == 2 ? "SVCD MPEG files, 480 x 480 or 480 x 576."
                                           : "VCD MPEG files, 352 x 240 or 352 x 288.");
    RefreshGrid();
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::ShowDiscBurnerSetup() { ShowModal(); }

void TQV_Video_DVD_Setup_Disc_Burner_Form::RefreshGrid()
{
    Model.Refresh();
    TkivStringGrid* grid = kivStringGrid_BurnFileInfo;
    for (int r = 1; r < grid->RowCount(); ++r)
        for (int c = 0; c < 3; ++c) grid->SetCells(c, r, "");
    grid->SetRowCount(Model.GridRowCount());
    grid->SetFixedRows(1);
    grid->SetColWidths(0, Model.NameColumnWidth());
    grid->SetCells(0, 0, "File Name");
    grid->SetCells(1, 0, "Type");
    grid->SetCells(2, 0, "Size (MB)");
    int r = 1;
    for (const BurnFileRow& row : Model.Rows()) {
        grid->SetCells(0, r, row.FileName);
        grid->SetCells(1, r, row.Type);
        grid->SetCells(2, r, row.SizeText);
        ++r;
    }
    if (Model.Overfull()) Inform(kBurnOverfullText);
    kivProgressBar1->SetPosition(Model.BarPosition());
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::kivImageButton_AddFileClick(TObject*)
{
    if (Model.DiscType <= 1) return Inform("Can't use this method to add DVD files!");
    OpenDialog->FileName.clear();
    if (!OpenDialog->Execute()) return;
    std::vector<std::string> paths;
    for (int i = 0; i < OpenDialog->Files()->Count(); ++i) paths.push_back(OpenDialog->Files()->Get(i));
    Model.AddChosenFiles(paths, OpenDialog->FilterIndex);
    RefreshGrid();
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::kivImageButton2Click(TObject*)
{
    if (Model.DiscType >= 2) return Inform("Can't use this method to add mpg files!");
    if (!fsChooseFolde->Execute() || fsChooseFolde->FolderName.empty()) return;
    Model.AddDvdFolder(fsChooseFolde->FolderName);
    RefreshGrid();
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::kivStringGrid_BurnFileInfoMouseDown(TObject*, TMouseButton Button,
                                                                               TShiftState, int X, int Y)
{
    if (Button != mbRight) return;
    // The row under the pointer as the grid scrolled it, not Y over the row height.
    int col = -1, row = -1;
    TkivStringGrid* grid = kivStringGrid_BurnFileInfo;
    if (grid->MouseToCell(X, Y, col, row) && Model.HoldsFile(row)) {
        grid->SetPopupMenu(kivPopupMenu1);
        grid->SetRow(row);
    } else {
        grid->SetPopupMenu(nullptr);
    }
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::Delete1Click(TObject*)
{
    if (Model.DeleteRow(kivStringGrid_BurnFileInfo->Row())) RefreshGrid();
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::DeleteAll1Click(TObject*)
{
    Model.DeleteAll();
    RefreshGrid();
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::kivImageButton3Click(TObject*)
{
    const std::string refused = Model.DiscType <= 1 ? Model.CheckIfoBupPairs() : Model.CheckMpegFiles();
    if (!refused.empty()) {
        if (refused == kNoMpegText || refused == kIncompatibleText) Inform(refused);
        else MessageDlg(refused, mtWarning, MsgButtons({mbOK}));
        return;
    }
    BurningProcessSteps* burning = FindTaskWindow<BurningProcessSteps>(kBurningProcessWindowName);
    if (!burning) return ShowTaskNotAvailable();
    if (burning->InitBurningProcess(Model.DiscType, Model.Files)) burning->ShowBurningProcess();
    else Inform("Can not initialize burning system!");
}

void TQV_Video_DVD_Setup_Disc_Burner_Form::FormClose(TObject*, TCloseAction&)
{
    Model.Files->Clear();
}
