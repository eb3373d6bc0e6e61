#pragma once
// The program's own pictures in its BMP/ folder (drawn at build time), and
// the picture buttons of its skinned windows.
#include "base/mainlayout.h"

#include "gfx/graphics.h"
#include "rtl/system.h"

class TBitmap;
class TComponent;
class TForm;
class TkivCheckBox;
class TkivImageButton;
class TkivProgressBar;
class TkivSkinForm;
class TLabel;
class TWinControl;

// Loads picture file `name` of BMP/; false, with `bitmap` untouched, when it
// is missing or unreadable (the window then shows its plain colour).
bool LoadProgramPicture(const char* name, TBitmap& bitmap);

// A picture button on `parent` at `place`, drawn from a picture file holding
// its four states side by side (normal, mouse on, mouse down, disabled); a
// missing file leaves it blank. An empty hint shows none.
TkivImageButton* NewPictureButton(TWinControl* parent, const char* name, const mainlayout::Place& place,
                                  const char* pictureFile, const char* hint, TNotifyEvent onClick);

// A label drawn straight on the skin (transparent, Arial of the size given) at `place`; a null name leaves it unnamed.
TLabel* NewLabel(TWinControl* parent, const char* name, const mainlayout::Place& place, TColor colour, int size = 8,
                 bool bold = false);
// A transparent check box, checked, its caption in Arial 8 of the colour given.
TkivCheckBox* NewCheckBox(TWinControl* parent, const char* name, const char* caption, const mainlayout::Place& place,
                          TColor colour);

// A progress bar from 0 to 100 at `place` on `parent`, owned by `owner` (null: the parent).
TkivProgressBar* NewBar(TWinControl* parent, const char* name, const mainlayout::Place& place,
                        TComponent* owner = nullptr);

// Shapes a form by its skin picture of BMP/ (fuchsia is see-through) and sizes
// its client area; a missing picture leaves the form plain in its colour.
// Answers the skin component, named kivSkinForm1.
TkivSkinForm* ApplyProgramSkin(TForm* form, const char* skinFile, int clientWidth, int clientHeight);

// A caption on a skin: white bold Arial 9 on whatever the skin shows under it.
TLabel* NewSkinLabel(TWinControl* parent, const char* name, const char* caption, const mainlayout::Place& place);
