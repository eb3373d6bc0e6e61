// Makes the ready-made main-menu streams delivered with the program,
// "MainSubP.vob" (PAL) and "MainSubN.vob" (NTSC): a still picture with two
// buttons, "Play" (the first title) and "Menu" (the title menu), and their
// highlight and select subpictures. mainmenu FOLDER writes both into FOLDER.
// The still comes from the encoder library, the subpictures are muxed by the
// authoring library, as the program's own menu streams are.
#include "author/dvdauthorlib.h"
#include "base/xmltext.h"
#include "encoder/kvrencoder.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "png/pngimage.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/dynlib.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 720;
constexpr TColor kClear = 0x010101;      // the subpictures' transparent colour
constexpr TColor kHighlight = 0x00D7FF;  // gold
constexpr TColor kSelect = 0x3030E0;     // red

struct Button {
    const char* caption;
    TRect box;
};

// The buttons at PAL height, scaled to the frame; spumux wants even rows.
std::vector<Button> Buttons(int height)
{
    auto row = [height](int y) { return y * height / 576 / 2 * 2; };
    return {{"Play", Rect(230, row(330), 490, row(390))}, {"Menu", Rect(230, row(420), 490, row(480))}};
}

TBitmap Background(int height)
{
    TBitmap b(kWidth, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int shade = 40 + 80 * y / height;
            b.SetPixel(x, y, static_cast<TColor>(shade / 3 | (shade / 2) << 8 | shade << 16));
        }
    TCanvas* c = b.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetQuality(fqAntialiased);
    c->Brush()->SetStyle(bsClear);
    for (const Button& button : Buttons(height)) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(0x704010);
        c->FillRect(button.box);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetSize(24);
        c->Font()->SetColor(0xFFFFFF);
        const int w = c->TextWidth(button.caption), h = c->TextHeight(button.caption);
        c->TextOut((button.box.Left + button.box.Right - w) / 2, (button.box.Top + button.box.Bottom - h) / 2,
                   button.caption);
    }
    return b;
}

// A subpicture mask: a frame of one colour around each button, clear elsewhere.
void WriteMask(const std::string& path, int height, TColor colour)
{
    TBitmap b(kWidth, height);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(kClear);
    c->FillRect(Rect(0, 0, kWidth, height));
    c->Brush()->SetColor(colour);
    for (const Button& button : Buttons(height)) {
        const TRect r = button.box;
        c->FillRect(Rect(r.Left - 6, r.Top - 6, r.Right + 6, r.Top));
        c->FillRect(Rect(r.Left - 6, r.Bottom, r.Right + 6, r.Bottom + 6));
        c->FillRect(Rect(r.Left - 6, r.Top, r.Left, r.Bottom));
        c->FillRect(Rect(r.Right, r.Top, r.Right + 6, r.Bottom));
    }
    TPNGObject png;
    png.Assign(b);
    png.SaveToFile(path);
}

bool MakeStream(const std::string& folder, bool pal, int (*spumux)(char*, char*, char*), const char* (*why)())
{
    const int height = pal ? 576 : 480;
    const std::string tag = pal ? "P" : "N";
    const std::string still = JoinPath(folder, "MainStill" + tag + ".vob");
    const std::string highlight = JoinPath(folder, "MainHighlight" + tag + ".png");
    const std::string select = JoinPath(folder, "MainSelect" + tag + ".png");
    const std::string xml = JoinPath(folder, "MainSub" + tag + ".xml");
    const std::string out = JoinPath(folder, "MainSub" + tag + ".vob");

    TBitmap picture = Background(height);
    std::vector<unsigned char> rows(static_cast<std::size_t>(kWidth) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const TColor c = picture.Pixel(x, y);
            unsigned char* p = &rows[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            p[0] = static_cast<unsigned char>(c >> 16), p[1] = static_cast<unsigned char>(c >> 8),
            p[2] = static_cast<unsigned char>(c);
        }
    if (MPEG2StillEncode(rows.data(), 1, pal ? 2 : 1, still.c_str()) != 0) {
        std::fprintf(stderr, "mainmenu: the still of %s could not be encoded\n", out.c_str());
        return false;
    }
    WriteMask(highlight, height, kHighlight);
    WriteMask(select, height, kSelect);
    std::string buttons;
    for (const Button& b : Buttons(height))
        buttons += Format("      <button x0=\"%d\" y0=\"%d\" x1=\"%d\" y1=\"%d\"/>\n", b.box.Left - 6, b.box.Top - 6,
                          b.box.Right + 6, b.box.Bottom + 6);
    std::ofstream(xml, std::ios::binary | std::ios::trunc)
        << "<subpictures>\n  <stream>\n    <spu start=\"00:00:00.00\" force=\"yes\" transparent=\"010101\"\n"
        << "         highlight=\"" << XmlEscape(highlight) << "\"\n         select=\"" << XmlEscape(select)
        << "\">\n" << buttons << "    </spu>\n  </stream>\n</subpictures>\n";
    std::vector<char> a(xml.begin(), xml.end()), b(still.begin(), still.end()), c(out.begin(), out.end());
    a.push_back(0), b.push_back(0), c.push_back(0);
    const int result = spumux(a.data(), b.data(), c.data());
    for (const std::string& f : {still, highlight, select, xml})
        DeleteFile(f);
    if (result != AUTHOR_OK) {
        std::fprintf(stderr, "mainmenu: %s: %s\n", out.c_str(), why());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mainmenu FOLDER\n");
        return 2;
    }
    Library library("dvdauthor.dll");
    auto spumux = library.Symbol<TSpumuxMain>("spumux_main");
    auto why = library.Symbol<TAuthorLastError>("AuthorLastError");
    if (!spumux || !why) {
        std::fprintf(stderr, "mainmenu: dvdauthor.dll: %s\n", LastLibraryError().c_str());
        return 1;
    }
    const std::string folder = argv[1];
    return MakeStream(folder, true, spumux, why) && MakeStream(folder, false, spumux, why) ? 0 : 1;
}
