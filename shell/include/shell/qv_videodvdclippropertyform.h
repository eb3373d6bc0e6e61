#pragma once
// The clip property dialog of the menu designer, with two uses: picking a
// moment of a title's clip in a paused preview (a title button's picture or a
// chapter start), and editing a text's font, size, colour and wording (the
// menu title). The caller fills it, shows it modally and reads the results.
#include "base/taskwindows.h"

#include "vcl/forms.h"

#include <string>

class TFont;
class TkivColorBox;
class TkivEdit;
class TkivFontComboBox;
class TkivFontSizeComboBox;
class TkivImageButton;
class TkivImagePanel;
class TkivSkinForm;
class TkivTrackBar;
class TLabel;
class TQV_MovieImage;

class TQV_Video_DVD_Clip_Property_Form : public TForm, public ClipPropertySteps {
public:
    explicit TQV_Video_DVD_Clip_Property_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Clip_Property_Form() override;

    // The preview of clip `clipIndex` opened paused at its StartPoint, which
    // becomes ChosenTime. False, with no graph and PreviewOpen false, when
    // there is no such clip, its file is gone or the graph cannot play it.
    bool OpenClipPreview(int clipIndex) override;
    // Frees the preview graph; always true.
    bool ClosePreview() override;
    // True: the text controls shown, the preview and its bar at the left;
    // false: the chapter-start label instead, the preview centred.
    void ShowTextControls(bool show) override;
    // The font's name, size (from the sizes its family comes in) and colour
    // in the three boxes, and the text in the edit.
    void SetFontControls(const TFont& font, const std::string& text) override;
    // The chosen name, size and colour into the font (a box showing no choice
    // leaves the font's own); answers the edited text.
    std::string GetFontControls(TFont& font) override;
    int ShowClipProperty() override;
    double PickedTime() const override { return ChosenTime; }

    double Duration = 0;             // seconds, of the clip previewed
    bool PreviewOpen = false;
    TQV_MovieImage* Clip = nullptr;
    double ChosenTime = 0;           // seconds on the clip's own time line

    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivImagePanel* Panel_Preview = nullptr;
    TkivTrackBar* kivTrackBar = nullptr;
    TLabel* Label_ChapterStart = nullptr;   // "Redefine chapter start :"
    TLabel* Label_Font = nullptr;
    TkivFontComboBox* kivFontComboBox = nullptr;
    TLabel* Label_Size = nullptr;
    TkivFontSizeComboBox* kivFontSizeComboBox = nullptr;
    TLabel* Label_Color = nullptr;
    TkivColorBox* kivColorBox = nullptr;
    TLabel* Label_Text = nullptr;
    TkivEdit* kivEdit_Text = nullptr;
    TkivImageButton* kivImageButton_Ok = nullptr;
    TkivImageButton* kivImageButton_Cancel = nullptr;
    TkivImageButton* kivImageButton_Close = nullptr;

    void kivFontComboBoxChange(TObject* Sender);
    void kivTrackBarMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // The bar follows the running preview.
    void OnGraphTick(int state);

protected:
    void WndProc(TMessage& Message) override;
};
