#pragma once
// The chapter pictures of a page grabbed from its title's video: a seek to
// each chapter, a moment for a picture of the new place to arrive, the frame
// saved; the window answers meanwhile and Exit ends the grab.
class TQV_Video_DVD_Setup_DVD_Menu_Form;

class ChapterThumbnails {
public:
    explicit ChapterThumbnails(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    void Grab(int t);
    // Exit (or any close) during the grab ends it at its next wait.
    bool Stopped() const;

private:
    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
};
