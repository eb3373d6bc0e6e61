#include "designerdialogs.h"

#include "chapterpages.h"
#include "designerpreview.h"
#include "titlelayout.h"

#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "menu/menuoutput.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"

#include "gfx/bitmap.h"
#include "rtl/paths.h"
#include "vcl/stdctrls.h"
#include "win32/progfolders.h"

#include <algorithm>

void DesignerDialogs::EditTitleButton(TObject* Sender)
{
    auto& f = form_;
    f.SkipNextMouseDown = true;
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    const int i = static_cast<int>(MyMovieImage.IndexOf(button));
    if (!button || i < 0) return;
    button->Dragging = false;
    ClipPropertySteps* dialog = OpenClipDialog(i);
    if (!dialog) return;
    TLabel* label = i < static_cast<int>(f.TitleLabels.size()) ? f.TitleLabels[static_cast<std::size_t>(i)] : nullptr;
    if (label) dialog->SetFontControls(*label->Font(), label->Caption());
    dialog->ShowTextControls(true);
    if (dialog->ShowClipProperty() == mrOk && MyMovieImage.IndexOf(button) == i) {
        if (label) {
            TFont font;
            font.Assign(*label->Font());
            label->SetCaption(dialog->GetFontControls(font));
            label->Font()->Assign(font);
            f.titles_->PlaceLabel(i);
        }
        // The moment picked becomes the button's picture.
        if (GrabDialogFrame(*button->Snapshot)) FitSnapshotToTile(*button);
    }
    dialog->ClosePreview();
    f.SkipNextMouseDown = true;
}

void DesignerDialogs::EditChapterButton(TObject* Sender)
{
    auto& f = form_;
    f.SkipNextMouseDown = true;
    f.ChapterButton = nullptr;
    const int t = f.ChapterPage;
    if (t < 0 || t >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(t);
    const auto found = std::find(page.ChapterButtons.begin(), page.ChapterButtons.end(), Sender);
    if (found == page.ChapterButtons.end()) return;
    const auto j = static_cast<std::int64_t>(found - page.ChapterButtons.begin());
    ClipPropertySteps* dialog = OpenClipDialog(t);
    if (!dialog) return;
    dialog->ShowTextControls(false);
    if (dialog->ShowClipProperty() == mrOk && j < page.ChapterButtons.Length()) {
        if (GrabDialogFrame(*page.ChapterThumbnails[j])) f.chapters_->RebuildPicture(t, static_cast<int>(j));
        // The first chapter is the title's start: its picture may change, its time does not.
        if (j > 0) {
            const TQV_MovieImage* clip = f.titles_->At(t);
            page.ChapterTimes[j] = dialog->PickedTime();
            page.ChapterLabels[j]->SetCaption(TitleTimeLabel(page.ChapterTimes[j], clip ? clip->StartPoint : 0));
        }
    }
    dialog->ClosePreview();
    f.SkipNextMouseDown = true;
}

ClipPropertySteps* DesignerDialogs::OpenClipDialog(int clipIndex)
{
    form_.preview_->Stop();   // the dialog makes the one preview graph its own
    auto* dialog = FindTaskWindow<ClipPropertySteps>(kClipPropertyWindowName);
    if (!dialog) {
        ShowTaskNotAvailable();
        return nullptr;
    }
    return dialog->OpenClipPreview(clipIndex) ? dialog : nullptr;
}

bool DesignerDialogs::GrabDialogFrame(TBitmap& into)
{
    const std::string file = JoinPath(ProgramFolder(), "Snapshot/t-1.bmp");
    if (!GRAPH || FAILED(GRAPH->SaveFrameBitmap(file))) return false;
    try {
        TBitmap grabbed;
        grabbed.LoadFromFile(file);
        if (grabbed.Empty()) return false;
        into.Assign(grabbed);
        return true;
    } catch (const std::exception&) {
        return false;   // an unreadable grab leaves the picture it had
    }
}

void DesignerDialogs::EditTitleText()
{
    auto& f = form_;
    f.TitleTextDragging = false;
    f.SkipNextMouseDown = true;
    TQV_Video_DVD_Text_Property_Form* dialog = QV_Video_DVD_Text_Property_Form;
    if (!dialog) {
        ShowTaskNotAvailable();
        return;
    }
    dialog->SetTextProperties(*f.Label_Title->Font(), f.Label_Title->Caption());
    if (dialog->ShowModal() != mrOk) return;
    std::string text;
    TFont font;
    font.Assign(*f.Label_Title->Font());
    dialog->GetTextProperties(font, text);
    f.Label_Title->Font()->Assign(font);
    f.Label_Title->SetCaption(text);
    f.titles_->SizeTitleText();
}
