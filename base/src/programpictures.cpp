#include "base/programpictures.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "skin/kivprogressbar.h"
#include "skin/kivpublic.h"
#include "skin/kivskinform.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/progfolders.h"

#include <exception>
#include <string>

bool LoadProgramPicture(const char* name, TBitmap& bitmap)
{
    const std::string path = FindDataFile(std::string("BMP/") + name);
    if (path.empty()) return false;
    try {
        TBitmap loaded;
        loaded.LoadFromFile(path);
        if (loaded.Empty()) return false;
        bitmap.Assign(loaded);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TkivImageButton* NewPictureButton(TWinControl* parent, const char* name, const mainlayout::Place& place,
                                  const char* pictureFile, const char* hint, TNotifyEvent onClick)
{
    auto* button = new TkivImageButton(parent);
    button->SetName(name);
    button->SetBounds(place.left, place.top, place.width, place.height);
    TBitmap strip;
    if (LoadProgramPicture(pictureFile, strip)) {
        TPicture* pictures[4] = {button->PicNormal(), button->PicMouseOn(), button->PicMouseDown(), button->PicDisabled()};
        for (int state = 0; state < 4; ++state) {
            TBitmap picture;
            SpitBitmap(&strip, &picture, 4, state + 1);
            pictures[state]->Assign(&picture);
        }
    }
    if (hint && *hint) {
        button->SetHint(hint);
        button->SetShowHint(true);
    }
    button->SetCursor(crHandPoint);
    button->OnClick = std::move(onClick);
    button->SetParent(parent);
    return button;
}

TkivProgressBar* NewBar(TWinControl* parent, const char* name, const mainlayout::Place& place, TComponent* owner)
{
    auto* bar = new TkivProgressBar(owner ? owner : parent);
    bar->SetName(name);
    bar->SetBounds(place.left, place.top, place.width, place.height);
    bar->SetMax(100);
    bar->SetPosition(0);
    bar->SetParent(parent);
    return bar;
}

TkivSkinForm* ApplyProgramSkin(TForm* form, const char* skinFile, int clientWidth, int clientHeight)
{
    constexpr TColor kFuchsia = 0xFF00FF;
    auto* skin = new TkivSkinForm(form);   // takes the border away
    skin->SetName("kivSkinForm1");
    skin->SetParent(form);
    skin->SetTransparentColor(kFuchsia);
    // Read from its file again when the form is first drawn: windows never shown keep no picture.
    skin->SetGlyphSource([file = std::string(skinFile)](TBitmap& picture) {
        return LoadProgramPicture(file.c_str(), picture);
    });
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(clientHeight);
    return skin;
}

TLabel* NewLabel(TWinControl* parent, const char* name, const mainlayout::Place& place, TColor colour, int size,
                 bool bold)
{
    auto* label = new TLabel(parent);
    if (name) label->SetName(name);
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(size);
    label->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    label->Font()->SetColor(colour);
    label->SetBounds(place.left, place.top, place.width, place.height);
    label->SetParent(parent);
    return label;
}

TLabel* NewSkinLabel(TWinControl* parent, const char* name, const char* caption, const mainlayout::Place& place)
{
    TLabel* label = NewLabel(parent, name, place, clWhite, 9, true);
    label->SetCaption(caption);
    return label;
}

TkivCheckBox* NewCheckBox(TWinControl* parent, const char* name, const char* caption, const mainlayout::Place& place,
                          TColor colour)
{
    auto* box = new TkivCheckBox(parent);
    box->SetName(name);
    box->SetCaption(caption);
    box->SetTransparent(true);
    box->Font()->SetName("Arial");
    box->Font()->SetSize(8);
    box->Font()->SetColor(colour);
    box->SetBounds(place.left, place.top, place.width, place.height);
    box->SetChecked(true);
    box->SetParent(parent);
    return box;
}
