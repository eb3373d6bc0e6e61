// Speed of the two hot paths: a full-frame nearest-neighbour stretch (menu
// backgrounds, thumbnails, masks) and drawing many short text lines (logs,
// lists, menus).
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_StretchBltColorOnColor720x576(benchmark::State& state)
{
    TBitmap src(468, 352, pf24bit);
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x) src.SetPixel(x, y, RGB(x & 255, y & 255, (x ^ y) & 255));
    TBitmap dst(720, 576, pf24bit);
    SetStretchBltMode(dst.Canvas(), COLORONCOLOR);
    for (auto _ : state) {
        StretchBlt(dst.Canvas(), 0, 0, 720, 576, src.Canvas(), 0, 0, 468, 352, SRCCOPY);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 720 * 576);
}
BENCHMARK(BM_StretchBltColorOnColor720x576)->Unit(benchmark::kMillisecond);

static void BM_StretchBltSameSize720x576(benchmark::State& state)
{
    TBitmap src(720, 576, pf24bit), dst(720, 576, pf24bit);
    for (auto _ : state) {
        StretchBlt(dst.Canvas(), 0, 0, 720, 576, src.Canvas(), 0, 0, 720, 576, SRCCOPY);
        benchmark::DoNotOptimize(dst.Bits());
    }
}
BENCHMARK(BM_StretchBltSameSize720x576)->Unit(benchmark::kMillisecond);

static void BM_TextOut1000Lines(benchmark::State& state)
{
    TBitmap dst(400, 300, pf24bit);
    TCanvas* c = dst.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetSize(8);
    c->Brush()->SetStyle(bsClear);
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back("Title " + std::to_string(i) + " >>>");
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) c->TextOut(4, (i * 13) % 290, lines[static_cast<std::size_t>(i)]);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_TextOut1000Lines)->Unit(benchmark::kMillisecond);

static void BM_DrawText1000Lines(benchmark::State& state)
{
    TBitmap dst(400, 300, pf24bit);
    TCanvas* c = dst.Canvas();
    c->Font()->SetName("Tahoma");
    c->Font()->SetSize(8);
    c->Brush()->SetStyle(bsClear);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            TRect r = Rect(0, (i * 13) % 290, 400, (i * 13) % 290 + 13);
            DrawText(c, "&Clip property", r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_DrawText1000Lines)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
