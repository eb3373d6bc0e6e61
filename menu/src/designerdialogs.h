#pragma once
// The dialogs a double click opens: the clip property dialog over a title
// button (its caption's text and font, its picture from a moment of the clip)
// or a chapter button (its picture and time), and the text dialog over the
// title text.
class ClipPropertySteps;
class TBitmap;
class TObject;
class TQV_Video_DVD_Setup_DVD_Menu_Form;

class DesignerDialogs {
public:
    explicit DesignerDialogs(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    void EditTitleButton(TObject* Sender);
    // A moment of the clip picked in the clip property dialog becomes the chapter.
    void EditChapterButton(TObject* Sender);
    void EditTitleText();

private:
    // The clip dialog with clip i's preview open, the designer's own preview stopped; null when it cannot open.
    ClipPropertySteps* OpenClipDialog(int clipIndex);
    // The clip dialog's frame on show into `into`; false (nothing changed) without one.
    bool GrabDialogFrame(TBitmap& into);

    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
};
