// The designer's controls as its form resource lays them out: the design area
// with the background and the title text, the disc-fill gauge, the title
// buttons' row, the background column, the language, Back, Next and Close,
// the progress box of the chapter pictures, the timer and the chapter popup.
#include "chapterpages.h"
#include "titlelayout.h"

#include "base/programpictures.h"
#include "base/taskwindows.h"
#include "menu/menudesignerlayout.h"
#include "menu/menumodel.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinform.h"
#include "skin/kivtrackbar.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

namespace layout = menulayout;

void TQV_Video_DVD_Setup_DVD_Menu_Form::BuildControls()
{
    using namespace layout;
    using Self = TQV_Video_DVD_Setup_DVD_Menu_Form;
    BeginLoading();
    SetName(kMenuDesignerWindowName);
    SetCaption("Setup DVD menu");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);

    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->Options |= ofFileMustExist;

    // The design area, its background picture and the title text.
    kivImagePanel_Preview = new TkivImagePanel(this);
    kivImagePanel_Preview->SetName("kivImagePanel_Preview");
    kivImagePanel_Preview->SetColor(clBlack);
    kivImagePanel_Preview->SetBounds(kPreview.left, kPreview.top, kPreview.width, kPreview.height);
    kivImagePanel_Preview->SetParent(this);
    Image = new TImage(this);
    Image->SetName("Image");
    Image->SetBounds(0, 0, kDesignWidth, kDesignHeight);
    Image->SetStretch(true);
    Image->SetParent(kivImagePanel_Preview);
    Label_Title = NewDesignLabel(this, kivImagePanel_Preview, 20, true);
    Label_Title->SetName("Label_Title");
    Label_Title->SetAutoSize(false);
    Label_Title->SetCaption("My Title");
    Label_Title->SetBounds(150, 20, 160, 32);
    Label_Title->SetCursor(crHandPoint);
    Label_Title->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        Label_TitleMouseDown(s, b, sh, x, y);
    };
    Label_Title->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Label_TitleMouseMove(s, sh, x, y); };
    Label_Title->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        Label_TitleMouseUp(s, b, sh, x, y);
    };
    Label_Title->OnDblClick = on(&Self::Label_TitleDblClick);
    SizeTitleText();

    kivProgressBar = new TkivProgressBar(this);
    kivProgressBar->SetName("kivProgressBar");
    kivProgressBar->SetOrientation(kivVertical);
    kivProgressBar->SetBounds(kGauge.left, kGauge.top, kGauge.width, kGauge.height);
    kivProgressBar->SetMax(100);
    kivProgressBar->SetPosition(0);
    kivProgressBar->SetParent(this);
    TLabel* gaugeLabel = NewSkinLabel(this, "Label_Gauge", "Disc", kGaugeLabel);
    gaugeLabel->SetAlignment(taCenter);

    kivImageButton_AddVOB = NewPictureButton(this, "kivImageButton_AddVOB", kTitleButtons[0], kTitleButtonFiles[0],
                                             "Add a VOB file as a title", on(&Self::kivImageButton_AddVOBClick));
    kivImageButton_DeleteVOB = NewPictureButton(this, "kivImageButton_DeleteVOB", kTitleButtons[1],
                                                kTitleButtonFiles[1], "Remove the selected title",
                                                on(&Self::kivImageButton_DeleteVOBClick));
    kivImageButton_Preview = NewPictureButton(this, "kivImageButton_Preview", kTitleButtons[2], kTitleButtonFiles[2],
                                              "Play the selected title", on(&Self::kivImageButton_PreviewClick));
    kivImageButton_Stop = NewPictureButton(this, "kivImageButton_Stop", kTitleButtons[3], kTitleButtonFiles[3], "",
                                           on(&Self::kivImageButton_StopClick));
    kivImageButton_PreviousChapter = NewPictureButton(this, "kivImageButton_PreviousChapter", kTitleButtons[4],
                                                      kTitleButtonFiles[4], "Back to the title menu",
                                                      on(&Self::kivImageButton_PreviousChapterClick));
    kivImageButton_NextChapter = NewPictureButton(this, "kivImageButton_NextChapter", kTitleButtons[5],
                                                  kTitleButtonFiles[5], "The selected title's chapter page",
                                                  on(&Self::kivImageButton_NextChapterClick));
    kivImageButton_PreviousChapter->SetEnabled(false);
    kivImageButton_NextChapter->SetEnabled(false);

    // The shipped backgrounds, a scrolling column of thumbnails.
    kivImagePanel_Background = new TkivImagePanel(this);
    kivImagePanel_Background->SetName("kivImagePanel_Background");
    kivImagePanel_Background->SetBounds(kBackgrounds.left, kBackgrounds.top, kBackgrounds.width, kBackgrounds.height);
    kivImagePanel_Background->SetTransparent(true);
    kivImagePanel_Background->SetParent(this);
    NewSkinLabel(kivImagePanel_Background, "Label_Backgrounds", "Backgrounds",
                 {kBackgroundsLabel.left - kBackgrounds.left + 4, 6, kBackgroundsLabel.width - 8,
                  kBackgroundsLabel.height});
    kivTrackBar_Image = new TkivTrackBar(this);
    kivTrackBar_Image->SetName("kivTrackBar_Image");
    kivTrackBar_Image->SetOrientation(kivVertical);
    kivTrackBar_Image->SetShowTick(false);
    kivTrackBar_Image->SetTransparent(true);
    kivTrackBar_Image->SetBounds(kBackgroundScroll.left, kBackgroundScroll.top, kBackgroundScroll.width,
                                 kBackgroundScroll.height);
    kivTrackBar_Image->SetMin(0);
    kivTrackBar_Image->SetMax(0);
    kivTrackBar_Image->SetPageSize(0);
    kivTrackBar_Image->OnChange = on(&Self::kivTrackBar_ImageChange);
    kivTrackBar_Image->SetParent(this);
    kivImageButton_LoadImage = NewPictureButton(this, "kivImageButton_LoadImage", kLoadImage, kLoadImageFile,
                                                "Add background picture", on(&Self::kivImageButton_LoadImageClick));

    Label_BackGround = NewSkinLabel(this, "Label_BackGround", "", kBackgroundName);
    Label_Language = NewSkinLabel(this, "Label_Language", "Select audio language :", kLanguageLabel);
    kivComboBox_Language = new TkivComboBox(this);
    kivComboBox_Language->SetName("kivComboBox_Language");
    kivComboBox_Language->SetStyle(csDropDownList);
    kivComboBox_Language->SetBounds(kLanguage.left, kLanguage.top, kLanguage.width, kLanguage.height);
    kivComboBox_Language->SetParent(this);
    kivComboBox_Language->OnChange = on(&Self::kivComboBox_LanguageChange);

    kivImageButton_Back = NewPictureButton(this, "kivImageButton_Back", kBack, kBackFile, "Previous step", nullptr);
    kivImageButton_Next = NewPictureButton(this, "kivImageButton_Next", kNext, kNextFile, "Next step", nullptr);
    kivImageButton_Exit = NewPictureButton(this, "kivImageButton_Exit", kClose, kCloseFile, "Close", nullptr);
    kivImageButton_Exit->SetModalResult(3);

    // In front of everything while chapter pictures are made.
    Panel_Progress = new TkivImagePanel(this);
    Panel_Progress->SetName("Panel_Progress");
    Panel_Progress->SetBounds(kProgressBox.left, kProgressBox.top, kProgressBox.width, kProgressBox.height);
    Panel_Progress->SetColor(0x4A2612);
    TBitmap box;
    if (LoadProgramPicture(kProgressFile, box)) Panel_Progress->Picture()->SetGraphic(&box);
    Panel_Progress->SetVisible(false);
    Panel_Progress->SetParent(this);
    Label13 = NewSkinLabel(Panel_Progress, "Label13", "Creating chapter image, please waitting...", kProgressLabel);
    kivProgressBar1 = new TkivProgressBar(this);
    kivProgressBar1->SetName("kivProgressBar1");
    kivProgressBar1->SetBounds(kProgressBar.left, kProgressBar.top, kProgressBar.width, kProgressBar.height);
    kivProgressBar1->SetMax(100);
    kivProgressBar1->SetParent(Panel_Progress);

    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetEnabled(false);
    Timer->SetInterval(1000);
    Timer->OnTimer = on(&Self::TimerTick);   // one shot: the automatic chapters
    chapters_->MakePopup();

    OnShow = on(&Self::FormShow);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    EndLoading();
}
