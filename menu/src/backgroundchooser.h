#pragma once
// The menu's backgrounds in the designer: the shipped pictures as a scrolling
// column of thumbnails, or a picture of the user's own; the title menu takes
// the one chosen (its titles laid out on a shipped picture's points), a
// chapter page on show takes it for itself.
#include <string>

class TBitmap;
class TObject;
class TQV_Video_DVD_Setup_DVD_Menu_Form;

// A picture file read whole: a Windows bitmap when its name ends in ".bmp"
// (any case), else JPEG. Throws on a file that cannot be read, and on a picture
// of no size or past kMaxBackgroundSide a side.
TBitmap LoadPictureFile(const std::string& path);

class BackgroundChooser {
public:
    explicit BackgroundChooser(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    // The shipped list read, its thumbnails made and the first picture that loads chosen.
    void LoadList();
    void ScrollThumbnails();
    // False, with nothing changed, when the picture cannot be loaded.
    bool Select(int k);
    // The first shipped background that loads, from k on; false when none does.
    bool SelectFirst(int k);
    void ThumbnailClick(TObject* Sender);
    // Asks for a picture of the user's own.
    void LoadOwnPicture();
    // The picture stretched onto the design area.
    void Show(TBitmap& picture);

private:
    // The chapter page on show takes the picture as its background.
    void SetPageBackground(const TBitmap& picture);

    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
};
