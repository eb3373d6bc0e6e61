// Painting costs of the skinned track bar and menu items against the real
// clock. A track bar repaints on every step of a drag, so one paint should
// stay far below a frame (16 ms) whatever its range: the ticks of a full
// 32-bit range cost one line per pixel, not one per value.
#include "skin/kivmemo.h"
#include "skin/kivpopupmenu.h"
#include "skin/kivtrackbar.h"

#include "gfx/bitmap.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <memory>

namespace {

struct Setting {
    Setting()
    {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        form = NewForm<TForm>(&app);
        form->SetBounds(0, 0, 400, 200);
        form->Show();
    }
    TApplication app;
    TForm* form = nullptr;
};

Setting& Ui()
{
    static Setting setting;
    return setting;
}

// range(0): 0 for 0..100, 1 for the whole int range.
void BM_TrackBarPaint(benchmark::State& state)
{
    TForm* form = Ui().form;
    auto* bar = new TkivTrackBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 300, 20);
    if (state.range(0)) {
        bar->SetMin(INT_MIN);
        bar->SetMax(INT_MAX);
    } else {
        bar->SetMax(100);
    }
    bar->SetPosition(0);
    TBitmap target(300, 20);
    for (auto _ : state) {
        bar->PaintTo(*target.Canvas(), 0, 0);
        benchmark::DoNotOptimize(target.Pixel(5, 5));
    }
    bar->Free();
}
BENCHMARK(BM_TrackBarPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One drag step: a new position, the slider moved and the bar repainted.
void BM_TrackBarDragStep(benchmark::State& state)
{
    TForm* form = Ui().form;
    auto* bar = new TkivTrackBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 300, 20);
    bar->SetMax(1000);
    int p = 0;
    for (auto _ : state) {
        bar->SetPosition(p = (p + 7) % 1000);
        form->PaintDirty();
    }
    bar->Free();
}
BENCHMARK(BM_TrackBarDragStep)->Unit(benchmark::kMicrosecond);

// Measuring and drawing one skinned menu item (each item of an open menu, on every hover change).
void BM_PopupItemDraw(benchmark::State& state)
{
    auto* menu = new TkivPopupMenu(Ui().form);
    menu->SetUIStyle(static_cast<TkivUIStyle>(state.range(0)));
    auto* item = new TMenuItem(Ui().form);
    item->SetCaption("&Help Topics");
    item->SetChecked(true);
    menu->Items()->Add(item);
    TBitmap target(200, 21);
    for (auto _ : state) {
        const TSize s = menu->MeasureItem(item, *target.Canvas());
        menu->DrawItem(item, target.Canvas(), Rect(0, 0, s.cx, s.cy), true);
        benchmark::DoNotOptimize(target.Pixel(5, 5));
    }
    menu->Free();
}
BENCHMARK(BM_PopupItemDraw)->Arg(MacOS)->Arg(DeepBlue)->Unit(benchmark::kMicrosecond);

} // namespace

// A memo filled line by line inside an update, then laid out: one text write and
// one layout whatever N, so the time grows with N alone.
void BM_MemoFillInUpdate(benchmark::State& state)
{
    TForm* form = Ui().form;
    auto* memo = new TkivMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 300, 150);
    memo->SetScrollBars(ssVertical);
    const int lines = static_cast<int>(state.range(0));
    int pass = 0;
    for (auto _ : state) {
        TStrings& text = *memo->Lines();
        {
            // Each pass writes other text, which the memo lays out anew.
            TStringsUpdate update(text);
            text.Clear();
            const std::string tail = " pass " + std::to_string(++pass);
            for (int i = 0; i < lines; ++i) text.Add("00:00:01,000 --> 00:00:02,500 line " + std::to_string(i) + tail);
        }
        benchmark::DoNotOptimize(memo->RowCount());
    }
    state.SetComplexityN(lines);
    memo->Free();
}
BENCHMARK(BM_MemoFillInUpdate)->Arg(5000)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
