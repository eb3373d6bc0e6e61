#include "shell/qv_videodvdclippropertyform.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "shell/clippropertylayout.h"

#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivcolorbox.h"
#include "skin/kivedit.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivskinform.h"
#include "skin/kivtrackbar.h"
#include "vcl/stdctrls.h"

namespace layout = clippropertylayout;

TQV_Video_DVD_Clip_Property_Form::TQV_Video_DVD_Clip_Property_Form(TComponent* AOwner) : TForm(AOwner)
{
    using namespace layout;
    BeginLoading();
    SetName("QV_Video_DVD_Clip_Property_Form");
    SetCaption("Clip property");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);

    Panel_Preview = new TkivImagePanel(this);
    Panel_Preview->SetName("Panel_Preview");
    Panel_Preview->SetColor(clBlack);
    Panel_Preview->SetBounds(kPreviewLeftAlone, kPreviewTop, kPreviewWidth, kPreviewHeight);
    Panel_Preview->SetParent(this);

    kivTrackBar = new TkivTrackBar(this);
    kivTrackBar->SetName("kivTrackBar");
    kivTrackBar->SetParent(this);
    kivTrackBar->SetBounds(kPreviewLeftAlone, kTrackBarTop, kPreviewWidth, kTrackBarHeight);
    kivTrackBar->SetMax(100);
    kivTrackBar->SetShowTick(false);
    kivTrackBar->OnMouseUp = [this](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        kivTrackBarMouseUp(sender, button, shift, x, y);
    };

    Label_ChapterStart = NewSkinLabel(this, "Label_ChapterStart", "Redefine chapter start :", kChapterStartLabel);

    // The text controls, each under its label, right of the preview.
    auto labelAt = [](int top) { return Place{kTextLeft, top, kTextWidth, kLabelHeight}; };
    auto place = [](TControl* control, int top, int width) {
        control->SetBounds(kTextLeft, top + kLabelHeight + 2, width, kBoxHeight);
    };
    Label_Font = NewSkinLabel(this, "Label_Font", "Font :", labelAt(kFontTop));
    kivFontComboBox = new TkivFontComboBox(this);
    kivFontComboBox->SetName("kivFontComboBox");
    place(kivFontComboBox, kFontTop, kTextWidth);
    kivFontComboBox->OnChange = [this](TObject* sender) { kivFontComboBoxChange(sender); };
    kivFontComboBox->SetParent(this);
    Label_Size = NewSkinLabel(this, "Label_Size", "Size :", labelAt(kSizeTop));
    kivFontSizeComboBox = new TkivFontSizeComboBox(this);
    kivFontSizeComboBox->SetName("kivFontSizeComboBox");
    place(kivFontSizeComboBox, kSizeTop, kSizeBoxWidth);
    kivFontSizeComboBox->SetParent(this);
    Label_Color = NewSkinLabel(this, "Label_Color", "Color :", labelAt(kColorTop));
    kivColorBox = new TkivColorBox(this);
    kivColorBox->SetName("kivColorBox");
    // Any colour a text already has is offered: one outside the named ones
    // stands as the custom colour.
    kivColorBox->SetStyle(cbStandardColors | cbExtendedColors | cbCustomColor | cbPrettyNames);
    place(kivColorBox, kColorTop, kTextWidth);
    kivColorBox->SetParent(this);
    Label_Text = NewSkinLabel(this, "Label_Text", "Input Text :", labelAt(kTextTop));
    kivEdit_Text = new TkivEdit(this);
    kivEdit_Text->SetName("kivEdit_Text");
    place(kivEdit_Text, kTextTop, kTextWidth);
    kivEdit_Text->SetParent(this);

    kivImageButton_Cancel = NewPictureButton(this, "kivImageButton_Cancel", kCancel, kCancelFile, "",
                                             [this](TObject*) { SetModalResult(mrCancel); });
    kivImageButton_Cancel->SetCancel(true);
    kivImageButton_Ok = NewPictureButton(this, "kivImageButton_Ok", kOk, kOkFile, "",
                                         [this](TObject*) { SetModalResult(mrOk); });
    kivImageButton_Ok->SetDefault(true);
    kivImageButton_Close = NewPictureButton(this, "kivImageButton_Close", kClose, kCloseFile, "Close",
                                            [this](TObject*) { SetModalResult(mrCancel); });
    EndLoading();
    ShowTextControls(false);
}

TQV_Video_DVD_Clip_Property_Form::~TQV_Video_DVD_Clip_Property_Form() = default;

void TQV_Video_DVD_Clip_Property_Form::ShowTextControls(bool show)
{
    using namespace layout;
    Label_ChapterStart->SetVisible(!show);
    for (TControl* control : {static_cast<TControl*>(Label_Font), static_cast<TControl*>(kivFontComboBox),
                              static_cast<TControl*>(Label_Size), static_cast<TControl*>(kivFontSizeComboBox),
                              static_cast<TControl*>(Label_Color), static_cast<TControl*>(kivColorBox),
                              static_cast<TControl*>(Label_Text), static_cast<TControl*>(kivEdit_Text)})
        control->SetVisible(show);
    const int left = show ? kPreviewLeftWithText : kPreviewLeftAlone;
    Panel_Preview->SetLeft(left);
    kivTrackBar->SetLeft(left);
    // Typing goes to the text; picking a moment starts on the bar.
    SetActiveControl(show ? static_cast<TWinControl*>(kivEdit_Text) : kivTrackBar);
}

void TQV_Video_DVD_Clip_Property_Form::SetFontControls(const TFont& font, const std::string& text)
{
    kivFontComboBox->SetFontName(font.Name());
    kivFontSizeComboBox->SetFontName(font.Name());
    kivFontSizeComboBox->SetFontSize(font.Size());
    kivColorBox->SetSelected(font.Color());
    kivEdit_Text->SetText(text);
}

std::string TQV_Video_DVD_Clip_Property_Form::GetFontControls(TFont& font)
{
    // A box that shows no choice answers an empty name, size 0 or no colour:
    // the font keeps its own rather than taking those.
    const std::string name = kivFontComboBox->FontName();
    if (!name.empty()) font.SetName(name);
    const int size = kivFontSizeComboBox->FontSize();
    if (size > 0) font.SetSize(size);
    const TColor colour = kivColorBox->Selected();
    if (colour != kivNoColorSelected) font.SetColor(colour);
    return kivEdit_Text->Text();
}

void TQV_Video_DVD_Clip_Property_Form::kivFontComboBoxChange(TObject*)
{
    // The sizes follow the family chosen, keeping the size when it has it.
    const int size = kivFontSizeComboBox->FontSize();
    kivFontSizeComboBox->SetFontName(kivFontComboBox->FontName());
    if (size > 0) kivFontSizeComboBox->SetFontSize(size);
}

int TQV_Video_DVD_Clip_Property_Form::ShowClipProperty() { return ShowModal(); }

bool TQV_Video_DVD_Clip_Property_Form::OpenClipPreview(int clipIndex)
{
    Clip = clipIndex >= 0 && clipIndex < MyMovieImage.Length() ? MyMovieImage[clipIndex] : nullptr;
    if (!Clip || !FileExists(Clip->SourcePath)) {
        // An earlier clip's preview must not stay open under this one's trim.
        ClosePreview();
        return false;
    }
    // OK without touching the bar picks the frame the preview opens on.
    ChosenTime = Clip->StartPoint;
    kivTrackBar->SetPosition(0);
    FreePreviewGraph();
    Panel_Preview->ClearFrame();
    Panel_Preview->Invalidate();
    Duration = Clip->Duration;

    GRAPH = new GraphGroup();
    GRAPH->GrabFrames = true;
    HRESULT hr = E_FAIL;
    if (CanRenderFile(Clip->SourcePath)) {
        hr = GRAPH->BuildGraph();
        if (SUCCEEDED(hr)) hr = GRAPH->RenderClip(Clip->WidePath);
    }
    if (SUCCEEDED(hr)) {
        if (Clip->SupportsSeek) GRAPH->SeekTo(static_cast<LONGLONG>(Clip->StartPoint * kGraphUnitsPerSecond));
        GRAPH->SetVideoWindow(Panel_Preview->Handle(),
                              TRect{0, 0, Panel_Preview->Width(), Panel_Preview->Height()});
        hr = GRAPH->Run();
        if (SUCCEEDED(hr)) {
            GRAPH->StartTicker();
            GRAPH->SetNotifyWindow(Handle(), MSG_GRAPH_EVENT, 0);
            hr = GRAPH->Pause();
        }
    }
    if (FAILED(hr)) {
        ClosePreview();
        return false;
    }
    PreviewOpen = true;
    // The bar stands where the picture is: at the trim start.
    if (Duration > 0) kivTrackBar->SetPosition(static_cast<int>(Clip->StartPoint * 100 / Duration));
    return true;
}

bool TQV_Video_DVD_Clip_Property_Form::ClosePreview()
{
    FreePreviewGraph();
    PreviewOpen = false;
    return true;
}

void TQV_Video_DVD_Clip_Property_Form::kivTrackBarMouseUp(TObject*, TMouseButton, TShiftState, int, int)
{
    if (!GRAPH || !Clip || !Clip->SupportsSeek) return;
    // Every step below divides by the length: a clip of no length has no moment to pick.
    if (!(Duration > 0)) return;
    if (GRAPH->State == GraphGroup::Stopped) {
        if (FAILED(GRAPH->SeekTo(1'000'000)) || FAILED(GRAPH->Run()) || FAILED(GRAPH->Pause())) return;
    }
    GRAPH->Pause();
    // The trim is applied first and the end guard last, so a clip trimmed to
    // start past 99 % of its length still ends up inside the file.
    double t = kivTrackBar->Position() * Duration * 0.01;
    if (t < Clip->StartPoint) t = Clip->StartPoint;
    else if (t > Clip->EndPoint) t = Clip->EndPoint;
    if (t > Duration * 0.99) t = Duration * 0.99;
    kivTrackBar->SetPosition(static_cast<int>(t * 100 / Duration));
    ChosenTime = t;
    GRAPH->Run();
    GRAPH->SeekTo(static_cast<LONGLONG>(t * kGraphUnitsPerSecond));
    GRAPH->Pause();
}

void TQV_Video_DVD_Clip_Property_Form::OnGraphTick(int state)
{
    // A tick posted while the graph ran but handled after a pause is stale: the
    // bar stays at the moment the pause picked.
    if (!PreviewOpen || !GRAPH || state != GraphGroup::Running || GRAPH->State != GraphGroup::Running) return;
    const int percent = GRAPH->Percent;
    if (kivTrackBar->Position() != percent) kivTrackBar->SetPosition(percent);
}

void TQV_Video_DVD_Clip_Property_Form::WndProc(TMessage& Message)
{
    if (Message.Msg == MSG_GRAPH_TICK) {
        OnGraphTick(static_cast<int>(Message.WParam));
        return;
    }
    if (Message.Msg == MSG_LOAD_GAVE_UP) return;   // a probe's late word: nothing to do here
    TForm::WndProc(Message);
}
