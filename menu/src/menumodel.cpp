#include "menu/menumodel.h"

#include "base/programpictures.h"
#include "gfx/bitmap.h"

#include <algorithm>

namespace {

MenuPicture LoadPicture(const char* name)
{
    auto picture = std::make_shared<TBitmap>();
    return LoadProgramPicture(name, *picture) ? picture : nullptr;
}

} // namespace

void LoadCornerPictures(MenuModel& menu)
{
    menu.CornerPicture = LoadPicture("BackPic.bmp");
    menu.CornerShape = LoadPicture("BackPng.bmp");
}

int CornerPictureHeight(const MenuModel& menu)
{
    return menu.CornerShape && !menu.CornerShape->Empty() ? menu.CornerShape->Height() : kDefaultCornerPictureHeight;
}

TRect CornerButtonRect(const MenuModel& menu)
{
    const int h = CornerPictureHeight(menu);
    const int w = menu.CornerShape && !menu.CornerShape->Empty() ? menu.CornerShape->Width() : 40;
    return Rect(5, kDesignHeight - h - 5, w + 5, kDesignHeight - 5);
}

TRect ClampToDesignArea(const TRect& rect, int cornerPictureHeight)
{
    const int right = kDesignWidth - 10, bottom = kDesignHeight - cornerPictureHeight;
    TRect r = rect;
    r.Right = std::max(r.Right, r.Left);
    r.Bottom = std::max(r.Bottom, r.Top);
    // The lower bounds first, then the excess over the upper ones comes off Left or Top.
    if (r.Left < 10) OffsetRect(r, 10 - r.Left, 0);
    if (r.Top < 10) OffsetRect(r, 0, 10 - r.Top);
    if (r.Right > right) OffsetRect(r, right - r.Right, 0);
    if (r.Bottom > bottom) OffsetRect(r, 0, bottom - r.Bottom);
    // Only a rectangle larger than the area is left sticking out; it is cut.
    return Rect(std::max(r.Left, 0), std::max(r.Top, 0), std::clamp(r.Right, 0, kDesignWidth),
                std::clamp(r.Bottom, 0, kDesignHeight));
}

TRect KeepOnPicture(const TRect& rect, int cornerPictureHeight)
{
    const bool onPicture = rect.Left >= 0 && rect.Top >= 0 && rect.Right <= kDesignWidth &&
                           rect.Bottom <= kDesignHeight && rect.Left <= rect.Right && rect.Top <= rect.Bottom;
    return onPicture ? rect : ClampToDesignArea(rect, cornerPictureHeight);
}

int MenuScaleX(int x)
{
    return x * kMenuWidth / kDesignWidth;
}

int MenuScaleY(int y, int outputHeight)
{
    return y * outputHeight / kDesignHeight;
}

TRect MenuScaleRect(const TRect& rect, int outputHeight)
{
    return Rect(MenuScaleX(rect.Left), MenuScaleY(rect.Top, outputHeight), MenuScaleX(rect.Right),
                MenuScaleY(rect.Bottom, outputHeight));
}
