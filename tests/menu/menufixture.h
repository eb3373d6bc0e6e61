#pragma once
// Menus for the writer tests: a RES folder with a name XML must escape,
// plain pictures, and the files read back by other readers than ours.
#include "menu/menuoutput.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "rtl/paths.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace menutest {

inline MenuPicture Solid(int w, int h, TColor colour)
{
    auto b = std::make_shared<TBitmap>(w, h, pf24bit);
    b->Canvas()->Brush()->SetColor(colour);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

// A corner shape of the shipped size, 40 x 24: a ring two pixels wide round
// its edge on a key colour at (0, 0) and the other corners.
inline MenuPicture RingShape()
{
    auto b = Solid(40, 24, RGB(255, 0, 255));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            if ((x < 2 || x >= 38 || y < 2 || y >= 22) && !((x == 0 || x == 39) && (y == 0 || y == 23)))
                b->SetPixel(x, y, clWhite);
    return b;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two title buttons, and with pages the corner ring and one page per title.
inline MenuModel TwoTitles(const std::string& res, bool pages)
{
    MenuModel m;
    m.ResFolder = res;
    m.Background = Solid(640, 480, RGB(40, 80, 160));
    m.Title = {"My Title", {"Arial", 24, {fsBold}, clYellow}, {150, 20}};
    m.Titles.push_back({Rect(49, 79, 150, 155), Solid(320, 240, clRed), {"Holiday", {}, {70, 158}}});
    m.Titles.push_back({Rect(249, 79, 350, 155), Solid(320, 180, clLime), {"Garden", {}, {270, 158}}});
    if (pages) {
        m.CornerShape = RingShape();
        for (int t = 0; t < 2; ++t) {
            MenuChapterPage page;
            page.Background = Solid(468, 352, RGB(230, 230, 210));
            for (int j = 0; j < 3; ++j)
                page.Buttons.push_back({Bounds(50 + 90 * j, 45, 80, 60), Solid(160, 120, clBlue), 60.0 * j});
            m.ChapterPages.push_back(page);
        }
    }
    return m;
}

class MenuTest : public ::testing::Test {
protected:
    testkit::TempFolder folder_{"keldara-menu"};
    std::string res_ = folder_.File("R&D \"menus\" 'Ünï'") + "/";
    std::string File(const std::string& name) const { return res_ + name; }
};

} // namespace menutest
