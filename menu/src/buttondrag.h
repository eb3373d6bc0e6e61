#pragma once
// Moving and resizing with the mouse: the title buttons, the chapter buttons
// and the title text. Near a button's edge the drag resizes it (within fixed
// limits), elsewhere it moves it; on release everything is kept in the area.
#include "vcl/controls.h"

class TQV_Video_DVD_Setup_DVD_Menu_Form;

class ButtonDrag {
public:
    explicit ButtonDrag(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    void TitleButtonDown(TObject* Sender, int X, int Y);
    void TitleButtonMove(TObject* Sender, int X, int Y);
    void TitleButtonUp(TObject* Sender);
    void ChapterButtonDown(TObject* Sender, int X, int Y);
    void ChapterButtonMove(TObject* Sender, int X, int Y);
    // A right click opens the chapter menu once the button is dropped.
    void ChapterButtonUp(TObject* Sender, TMouseButton Button);
    void TitleTextDown();
    void TitleTextMove();
    void TitleTextUp();

private:
    // The drag code title and chapter buttons share.
    void Start(TControl& button, int X, int Y);
    void Drag(TControl& button, bool dragging, int X, int Y);
    // A mouse-down on a button: the drag starts, unless a double click has just been taken.
    bool Press(TControl* button, int X, int Y);

    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
    bool resizeNearEdge_ = false;   // the resize moves the top or left edge
};
