// The menu designer's subpicture masks go through this codec: plain 24-bit RGB files with
// the key colour 010101 and no transparency chunk, which spumux must accept.
#include "png/pngimage.h"
#include "pngtestutil.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace pngtest;

namespace {

constexpr TColor kKey = RGB(1, 1, 1);

// A mask drawn at the designer's 468 x 352 and stretched to the output size.
void DrawMask(TBitmap& out, TColor frame, int outHeight)
{
    TBitmap mask(468, 352, pf24bit);
    TCanvas* c = mask.Canvas();
    c->Brush()->SetColor(kKey);
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Rectangle(0, 0, 468, 352);
    c->Pen()->SetColor(frame);
    c->Pen()->SetWidth(5);
    c->Rectangle(49, 79, 49 + 122, 79 + 92);
    c->Rectangle(249, 79, 249 + 122, 79 + 92);
    out.SetSize(720, outHeight);
    out.SetPixelFormat(pf24bit);
    StretchBlt(out.Canvas(), 0, 0, 720, outHeight, c, 0, 0, 468, 352, SRCCOPY);
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

TEST(PngMask, HighlightAndSelectMasksAreAcceptedBySpumux)
{
    testkit::TempFolder folder("png-mask");
    TPNGObject png;
    png.SetTransparentColor(kKey); // as the designer does; the masks still carry no tRNS
    TBitmap highlight, select;
    DrawMask(highlight, clBlue, 576);
    DrawMask(select, RGB(255, 251, 240), 576);
    const std::string highlightPath = folder.File("highlight_P.png");
    const std::string selectPath = folder.File("select_P.png");
    png.Assign(highlight);
    png.SaveToFile(highlightPath);
    png.Assign(select);
    png.SaveToFile(selectPath);

    // The files as libpng sees them.
    std::ifstream in(highlightPath, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& c : SplitChunks(file)) EXPECT_NE(c.name, "tRNS");
    RawImage back;
    std::string error;
    ASSERT_TRUE(ReadWithLibpng(file, back, error)) << error;
    EXPECT_EQ(back.width, 720);
    EXPECT_EQ(back.height, 576);
    EXPECT_EQ(back.colorType, 2);
    EXPECT_EQ(back.bitDepth, 8);
    EXPECT_EQ(Bytes(back.rows[300].begin() + 3 * 360, back.rows[300].begin() + 3 * 361), (Bytes{1, 1, 1}));

    // A one-second PAL menu stream to put the subpictures on.
    const std::string video = folder.File("menu.mpg");
    ProcessSpec ffmpeg;
    ffmpeg.argv = {"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "color=black:s=720x576:d=1:r=25",
                   "-target", "pal-dvd", "-y", video};
    ffmpeg.captureOutput = true;
    const ProcessResult made = RunProcess(ffmpeg, 120000);
    ASSERT_TRUE(made.Succeeded()) << made.error << made.errors;

    const std::string xml = folder.File("Menu_P.xml");
    WriteText(xml, "<subpictures>\r\n  <stream>\r\n    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\r\n"
                   "         highlight=\"" + highlightPath + "\"\r\n         select=\"" + selectPath + "\"\r\n"
                   "         transparent=\"010101\" force=\"yes\"\r\n         autoorder=\"rows\">\r\n"
                   "    <button x0=\"75\" y0=\"130\" x1=\"262\" y1=\"280\"/>\r\n"
                   "    <button x0=\"383\" y0=\"130\" x1=\"570\" y1=\"280\"/>\r\n"
                   "    </spu>\r\n  </stream>\r\n</subpictures>\r\n");
    ProcessSpec spumux;
    spumux.argv = {"spumux", "-m", "dvd", xml};
    spumux.stdinFile = video;
    spumux.stdoutFile = folder.File("menu_sub.mpg");
    spumux.captureOutput = true;
    spumux.extraEnv = {{"VIDEO_FORMAT", "PAL"}};
    const ProcessResult muxed = RunProcess(spumux, 120000);
    ASSERT_TRUE(muxed.Succeeded()) << muxed.error << "\n" << muxed.errors;
    EXPECT_EQ(muxed.errors.find("ERR"), std::string::npos) << muxed.errors;
    EXPECT_NE(muxed.errors.find("PNG had 3 colors"), std::string::npos) << muxed.errors; // key, black, frame
    EXPECT_NE(muxed.errors.find("1 subtitles added"), std::string::npos) << muxed.errors;
    std::ifstream result(spumux.stdoutFile, std::ios::binary | std::ios::ate);
    std::ifstream original(video, std::ios::binary | std::ios::ate);
    EXPECT_GT(static_cast<long long>(result.tellg()), static_cast<long long>(original.tellg()));
}

} // namespace
