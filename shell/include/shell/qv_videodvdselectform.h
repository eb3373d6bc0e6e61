#pragma once
// The disc-kind choice: the first window of the disc-build, convert and burn
// tasks. The user picks DVD, SVCD or VCD; captions and descriptions follow
// the task (SelectMode).
#include "base/taskwindows.h"

#include "vcl/forms.h"

#include <cstdint>

class TkivImageButton;
class TkivSkinForm;
class TLabel;
class TMemo;

// Texts by SelectMode * 4 + kind (kind 1 DVD, 2 SVCD, 3 VCD; index 0 of each row is empty).
extern const char* const SelectDescriptions[12];
extern const char* const SelectCaptions[12];

class TQV_Video_DVD_Select_Form : public TForm, public DiscKindChoiceSteps {
public:
    explicit TQV_Video_DVD_Select_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Select_Form() override;

    // Shown modally in the mode (0 disc build, 1 convert, 2 burn); answers
    // SelectedDiscType.
    int ChooseDiscKind(int selectMode) override;

    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivImageButton* kivImageButton_SelectDVD = nullptr;
    TkivImageButton* kivImageButton_SelectSVCD = nullptr;
    TkivImageButton* kivImageButton_SelectVCD = nullptr;
    TLabel* Label_DVD = nullptr;
    TLabel* Label_SVCD = nullptr;
    TLabel* Label_VCD = nullptr;
    TkivImageButton* kivImageButton3 = nullptr;   // small pictures under DVD, SVCD, VCD
    TkivImageButton* kivImageButton4 = nullptr;
    TkivImageButton* kivImageButton5 = nullptr;
    TkivImageButton* kivImageButton6 = nullptr;   // the marker on the chosen kind's small picture
    TMemo* Memo1 = nullptr;                       // the description, read-only
    TkivImageButton* kivImageButton1 = nullptr;   // cancel
    TkivImageButton* kivImageButton2 = nullptr;   // accept (Next)
    TkivImageButton* kivImageButton_Close = nullptr;

    // 0 none, 1 DVD, 2 SVCD, 3 VCD. After the window closes it is the chosen
    // kind only when it closed through the accept button, else 0.
    std::int32_t SelectedDiscType = 0;
    std::int32_t SelectMode = 0;                  // set by the caller before showing
    bool ShowingDVD = false, ShowingSVCD = false, ShowingVCD = false;

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void kivImageButton_SelectDVDClick(TObject* Sender);
    void kivImageButton_SelectSVCDClick(TObject* Sender);
    void kivImageButton_SelectVCDClick(TObject* Sender);
    void kivImageButton_SelectDVDMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void kivImageButton_SelectSVCDMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void kivImageButton_SelectVCDMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void kivImageButton1Click(TObject* Sender);
    void kivImageButton2Click(TObject* Sender);
    void kivImageButton_CloseClick(TObject* Sender);

private:
    void ChooseKind(int kind);
    void ShowKind(int kind);
    bool Showing(int kind) const;
};
