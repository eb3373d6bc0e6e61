#pragma once
// Next: the menu as the designer shows it becomes a plain model, its files are
// written, and the disc builder (the disc-build task) or the convert window
// in its author-only mode (the menu-creator task) takes over.
struct MenuModel;
class TQV_Video_DVD_Setup_DVD_Menu_Form;

class MenuHandover {
public:
    explicit MenuHandover(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    // The menu as it stands, for the writers.
    MenuModel BuildModel() const;
    void ToDiscBuilder();
    void ToConvert();

private:
    bool WriteMenus(bool withChapters);

    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
    bool inNext_ = false;
};
