#include "shell/qv_videodvdselectform.h"

#include "base/programpictures.h"
#include "shell/selectlayout.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "skin/kivskinform.h"
#include "vcl/stdctrls.h"
#include "vcl/stdctrls_edit.h"

const char* const SelectDescriptions[12] = {
    "",
    "Output for DVD Disc format. The Keldara DVD Maker will convert the source video clips and the burn it to blank "
    "DVD Disc, so that you can play the DVD Disc with your home DVD player.",
    "Output for SVCD Disc format. The Keldara DVD Maker will convert the source video clips and the burn it to blank "
    "CD Disc, so that you can play the SVCD Disc with your home DVD or VCD player.",
    "Output for VCD Disc format. The Keldara DVD Maker will convert the source video clips and the burn it to blank "
    "VCD Disc, so that you can play the VCD Disc with your home DVD or VCD player.",
    "",
    "Output for DVD format(*.VOB files). The Keldara DVD Maker will convert all the source video clips to the DVD "
    "format.",
    "Output for SVCD format(*.mpg compatible Mpeg2 files). The Keldara DVD Maker will convert all the source video "
    "clips to the SVCD format.",
    "Output for VCD format(*.mpg compatible Mpeg1 files). The Keldara DVD Maker will convert all the source video "
    "clips to the VCD format.",
    "",
    "Burn exist VOB files to blank DVD disc, so that you can play the DVD disc with your home DVD player.",
    "Burn exist SVCD compatible Mpeg2 files to blank CD disc, so that you can play the SVCD disc with your home DVD "
    "and VCD player.",
    "Burn exist VCD compatible Mpeg1 files to blank CD disc, so that you can play the VCD disc with your home DVD and "
    "VCD player.",
};

const char* const SelectCaptions[12] = {
    "", "DVD Disc",        "SVCD Disc",         "VCD Disc",
    "", "VOB - DVD Files", "MPG2 - SVCD Files", "MPG1 - VCD Files",
    "", "Burn DVD Disc",   "Burn SVCD Disc",    "Burn VCD Disc",
};

namespace {

// A mode from outside the three still gets a full set of texts: the disc build's.
int Row(int mode) { return mode >= 0 && mode <= 2 ? mode * 4 : 0; }

} // namespace

TQV_Video_DVD_Select_Form::TQV_Video_DVD_Select_Form(TComponent* AOwner) : TForm(AOwner)
{
    using namespace selectlayout;
    BeginLoading();
    SetName("QV_Video_DVD_Select_Form");
    SetCaption("Choose the disc type");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);

    auto on = [this](void (TQV_Video_DVD_Select_Form::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    auto onMove = [this](void (TQV_Video_DVD_Select_Form::*handler)(TObject*, TShiftState, int, int)) {
        return [this, handler](TObject* sender, TShiftState shift, int x, int y) { (this->*handler)(sender, shift, x, y); };
    };
    using Self = TQV_Video_DVD_Select_Form;
    const TNotifyEvent clicks[3] = {on(&Self::kivImageButton_SelectDVDClick), on(&Self::kivImageButton_SelectSVCDClick),
                                    on(&Self::kivImageButton_SelectVCDClick)};
    const TMouseMoveEvent moves[3] = {onMove(&Self::kivImageButton_SelectDVDMouseMove),
                                      onMove(&Self::kivImageButton_SelectSVCDMouseMove),
                                      onMove(&Self::kivImageButton_SelectVCDMouseMove)};
    static const char* const kindNames[3] = {"kivImageButton_SelectDVD", "kivImageButton_SelectSVCD",
                                             "kivImageButton_SelectVCD"};
    static const char* const labelNames[3] = {"Label_DVD", "Label_SVCD", "Label_VCD"};
    static const char* const spotNames[3] = {"kivImageButton3", "kivImageButton4", "kivImageButton5"};
    TkivImageButton* kinds[3];
    TLabel* labels[3];
    TkivImageButton* spots[3];
    for (int k = 0; k < 3; ++k) {
        kinds[k] = NewPictureButton(this, kindNames[k], kKind[k], kKindFiles[k], "", clicks[k]);
        kinds[k]->OnMouseMove = moves[k];
        labels[k] = NewSkinLabel(this, labelNames[k], "", kLabel[k]);
        labels[k]->SetAlignment(taCenter);
        spots[k] = NewPictureButton(this, spotNames[k], {kMarkerLeft[k], kMarkerTop, kMarkerSize, kMarkerSize},
                                    kSpotFile, "", clicks[k]);
        spots[k]->OnMouseMove = moves[k];
    }
    kivImageButton_SelectDVD = kinds[0], kivImageButton_SelectSVCD = kinds[1], kivImageButton_SelectVCD = kinds[2];
    Label_DVD = labels[0], Label_SVCD = labels[1], Label_VCD = labels[2];
    kivImageButton3 = spots[0], kivImageButton4 = spots[1], kivImageButton5 = spots[2];
    // The marker lies on the chosen kind's spot: pressing or pointing at it is
    // pressing or pointing at the chosen kind.
    kivImageButton6 = NewPictureButton(this, "kivImageButton6", {kMarkerLeft[0], kMarkerTop, kMarkerSize, kMarkerSize},
                                       kMarkerFile, "", [this](TObject*) { ChooseKind(SelectedDiscType); });
    kivImageButton6->OnMouseMove = onMove(&Self::FormMouseMove);

    Memo1 = new TMemo(this);
    Memo1->SetName("Memo1");
    Memo1->SetBounds(kMemo.left, kMemo.top, kMemo.width, kMemo.height);
    Memo1->SetBorderStyle(bsNone);
    Memo1->SetReadOnly(true);
    Memo1->SetWordWrap(true);
    Memo1->SetTabStop(false);
    Memo1->SetColor(kMemoColor);
    Memo1->Font()->SetName("Arial");
    Memo1->Font()->SetSize(9);
    Memo1->Font()->SetColor(kMemoTextColor);
    Memo1->SetParent(this);

    kivImageButton1 = NewPictureButton(this, "kivImageButton1", kCancel, kCancelFile, "", on(&Self::kivImageButton1Click));
    kivImageButton1->SetCancel(true);
    kivImageButton2 = NewPictureButton(this, "kivImageButton2", kAccept, kAcceptFile, "", on(&Self::kivImageButton2Click));
    kivImageButton2->SetDefault(true);
    kivImageButton_Close = NewPictureButton(this, "kivImageButton_Close", kClose, kCloseFile, "Close",
                                            on(&Self::kivImageButton_CloseClick));

    // Everything that is not a kind counts as the window's background.
    kivSkinForm1->OnMouseMove = onMove(&Self::FormMouseMove);
    for (TLabel* label : labels) label->OnMouseMove = onMove(&Self::FormMouseMove);
    OnMouseMove = onMove(&Self::FormMouseMove);
    OnShow = on(&Self::FormShow);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    EndLoading();
}

TQV_Video_DVD_Select_Form::~TQV_Video_DVD_Select_Form() = default;

int TQV_Video_DVD_Select_Form::ChooseDiscKind(int selectMode)
{
    SelectMode = selectMode;
    // Closed any other way than by the accept button (or by the program
    // ending under it): no choice.
    if (ShowModal() != mrOk) SelectedDiscType = 0;
    return SelectedDiscType;
}

void TQV_Video_DVD_Select_Form::FormShow(TObject*)
{
    const int row = Row(SelectMode);
    Label_DVD->SetCaption(SelectCaptions[row + 1]);
    Label_SVCD->SetCaption(SelectCaptions[row + 2]);
    Label_VCD->SetCaption(SelectCaptions[row + 3]);
    ChooseKind(1);
}

void TQV_Video_DVD_Select_Form::FormClose(TObject*, TCloseAction&)
{
    if (ModalResult() != mrOk) SelectedDiscType = 0;
}

void TQV_Video_DVD_Select_Form::ChooseKind(int kind)
{
    if (kind < 1 || kind > 3) return;
    SelectedDiscType = kind;
    kivImageButton6->SetBounds(selectlayout::kMarkerLeft[kind - 1], selectlayout::kMarkerTop,
                               selectlayout::kMarkerSize, selectlayout::kMarkerSize);
    ShowKind(kind);
}

void TQV_Video_DVD_Select_Form::ShowKind(int kind)
{
    Memo1->Lines()->Clear();
    Memo1->Lines()->Add(SelectDescriptions[Row(SelectMode) + kind]);
    ShowingDVD = kind == 1;
    ShowingSVCD = kind == 2;
    ShowingVCD = kind == 3;
}

bool TQV_Video_DVD_Select_Form::Showing(int kind) const
{
    return kind == 1 ? ShowingDVD : kind == 2 ? ShowingSVCD : ShowingVCD;
}

void TQV_Video_DVD_Select_Form::kivImageButton_SelectDVDClick(TObject*) { ChooseKind(1); }
void TQV_Video_DVD_Select_Form::kivImageButton_SelectSVCDClick(TObject*) { ChooseKind(2); }
void TQV_Video_DVD_Select_Form::kivImageButton_SelectVCDClick(TObject*) { ChooseKind(3); }

void TQV_Video_DVD_Select_Form::kivImageButton_SelectDVDMouseMove(TObject*, TShiftState, int, int)
{
    if (!ShowingDVD) ShowKind(1);
}

void TQV_Video_DVD_Select_Form::kivImageButton_SelectSVCDMouseMove(TObject*, TShiftState, int, int)
{
    if (!ShowingSVCD) ShowKind(2);
}

void TQV_Video_DVD_Select_Form::kivImageButton_SelectVCDMouseMove(TObject*, TShiftState, int, int)
{
    if (!ShowingVCD) ShowKind(3);
}

void TQV_Video_DVD_Select_Form::FormMouseMove(TObject*, TShiftState, int, int)
{
    if (SelectedDiscType >= 1 && SelectedDiscType <= 3 && !Showing(SelectedDiscType)) ShowKind(SelectedDiscType);
}

void TQV_Video_DVD_Select_Form::kivImageButton1Click(TObject*)
{
    SelectedDiscType = 0;
    SetModalResult(mrCancel);
}

void TQV_Video_DVD_Select_Form::kivImageButton2Click(TObject*) { SetModalResult(mrOk); }

void TQV_Video_DVD_Select_Form::kivImageButton_CloseClick(TObject*)
{
    SelectedDiscType = 0;
    SetModalResult(mrCancel);
}
