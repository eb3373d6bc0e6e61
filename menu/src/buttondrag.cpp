#include "buttondrag.h"

#include "chapterpages.h"
#include "titlelayout.h"

#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "menu/menumodel.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "vcl/stdctrls.h"

#include <algorithm>

namespace {

constexpr int kMinButtonWidth = 56, kMaxButtonWidth = 280, kMinButtonHeight = 42, kMaxButtonHeight = 210;
constexpr int kResizeEdge = 5;

} // namespace

void ButtonDrag::Start(TControl& button, int X, int Y)
{
    button.BringToFront();
    form_.ButtonMoveMode = button.Cursor() == crHandPoint;
    // The edge taken stays the one resized, even when the mouse passes the button's middle.
    resizeNearEdge_ = button.Cursor() == crSizeNS ? Y < button.Height() / 2 : X < button.Width() / 2;
    form_.DragStartCursor = Mouse->CursorPos();
}

void ButtonDrag::Drag(TControl& button, bool dragging, int X, int Y)
{
    auto& f = form_;
    const int width = button.Width(), height = button.Height();
    if (!dragging) {
        // Near the top or bottom edge resizes up and down, near the sides across, elsewhere moves.
        if (Y < kResizeEdge || Y > height - kResizeEdge)
            button.SetCursor(crSizeNS);
        else if (X >= kResizeEdge && X <= width - kResizeEdge)
            button.SetCursor(crHandPoint);
        else
            button.SetCursor(crSizeWE);
        return;
    }
    f.DragCursor = Mouse->CursorPos();
    const int dx = f.DragCursor.X - f.DragStartCursor.X, dy = f.DragCursor.Y - f.DragStartCursor.Y;
    if (f.ButtonMoveMode) {
        button.SetBounds(button.Left() + dx, button.Top() + dy, width, height);
    } else if (button.Cursor() == crSizeNS) {
        if (!resizeNearEdge_) {
            button.SetHeight(std::clamp(height + dy, kMinButtonHeight, kMaxButtonHeight));
        } else {
            // The top edge moves; the bottom edge stays where it is.
            const int newHeight = std::clamp(height - dy, kMinButtonHeight, kMaxButtonHeight);
            button.SetBounds(button.Left(), button.Top() - (newHeight - height), width, newHeight);
        }
    } else {
        if (!resizeNearEdge_) {
            button.SetWidth(std::clamp(width + dx, kMinButtonWidth, kMaxButtonWidth));
        } else {
            const int newWidth = std::clamp(width - dx, kMinButtonWidth, kMaxButtonWidth);
            button.SetBounds(button.Left() - (newWidth - width), button.Top(), newWidth, height);
        }
    }
    f.DragStartCursor = f.DragCursor;
}

// --- title buttons ------------------------------------------------------------------------------
bool ButtonDrag::Press(TControl* button, int X, int Y)
{
    if (!button) return false;
    // The press that follows a double click only clears the flag.
    if (form_.SkipNextMouseDown) {
        form_.SkipNextMouseDown = false;
        return false;
    }
    Start(*button, X, Y);
    return true;
}

void ButtonDrag::TitleButtonDown(TObject* Sender, int X, int Y)
{
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    if (Press(button, X, Y)) button->Dragging = true;
}

void ButtonDrag::TitleButtonMove(TObject* Sender, int X, int Y)
{
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    if (!button) return;
    Drag(*button, button->Dragging, X, Y);
    if (button->Dragging && form_.ButtonMoveMode)
        form_.titles_->PlaceLabel(static_cast<int>(MyMovieImage.IndexOf(button)));
}

void ButtonDrag::TitleButtonUp(TObject* Sender)
{
    auto* button = dynamic_cast<TQV_MovieImage*>(Sender);
    if (!button) return;
    if (button->Dragging && !form_.ButtonMoveMode) FitSnapshotToTile(*button);
    // The button dragged is the one kept in the area (it is selected only by the click after this).
    const TRect r = ClampToDesignArea(button->BoundsRect(), form_.CornerPictureHeight);
    button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    button->Dragging = false;
    form_.titles_->PlaceLabel(static_cast<int>(MyMovieImage.IndexOf(button)));
}

// --- chapter buttons ----------------------------------------------------------------------------
void ButtonDrag::ChapterButtonDown(TObject* Sender, int X, int Y)
{
    auto* button = dynamic_cast<TQV_Image*>(Sender);
    if (Press(button, X, Y)) form_.ChapterButton = button;
}

void ButtonDrag::ChapterButtonMove(TObject* Sender, int X, int Y)
{
    auto* button = dynamic_cast<TQV_Image*>(Sender);
    if (button) Drag(*button, form_.ChapterButton == button, X, Y);
}

void ButtonDrag::ChapterButtonUp(TObject* Sender, TMouseButton Button)
{
    auto& f = form_;
    auto* button = dynamic_cast<TQV_Image*>(Sender);
    if (!button || f.ChapterPage < 0 || f.ChapterPage >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(f.ChapterPage);
    const auto found = std::find(page.ChapterButtons.begin(), page.ChapterButtons.end(), button);
    if (found == page.ChapterButtons.end()) return;
    const int j = static_cast<int>(found - page.ChapterButtons.begin());
    if (f.ChapterButton == button && !f.ButtonMoveMode) f.chapters_->RebuildPicture(f.ChapterPage, j);
    const TRect r = ClampToDesignArea(button->BoundsRect(), f.CornerPictureHeight);
    button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    TLabel* label = page.ChapterLabels[j];
    label->SetBounds(r.Left, r.Top + r.Height() + kChapterLabelGap, label->Width(), label->Height());
    f.ChapterButton = nullptr;
    if (Button == mbRight) {
        f.PopupChapterIndex = j;
        PostMessage(f.Handle(), kMsgChapterPopup, 0, 0);
    }
}

// --- the title text -----------------------------------------------------------------------------
void ButtonDrag::TitleTextDown()
{
    if (form_.SkipNextMouseDown) {
        form_.SkipNextMouseDown = false;
        return;
    }
    form_.DragStartCursor = Mouse->CursorPos();
    form_.TitleTextDragging = true;
}

void ButtonDrag::TitleTextMove()
{
    auto& f = form_;
    if (!f.TitleTextDragging) return;
    f.DragCursor = Mouse->CursorPos();
    TLabel& title = *f.Label_Title;
    title.SetBounds(title.Left() + f.DragCursor.X - f.DragStartCursor.X,
                    title.Top() + f.DragCursor.Y - f.DragStartCursor.Y, title.Width(), title.Height());
    f.DragStartCursor = f.DragCursor;
}

void ButtonDrag::TitleTextUp()
{
    form_.TitleTextDragging = false;
    const TRect r = ClampToDesignArea(form_.Label_Title->BoundsRect(), form_.CornerPictureHeight);
    form_.Label_Title->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}
