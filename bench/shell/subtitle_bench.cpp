// The subtitle dialog on files of feature-film length against the real clock:
// opening the dialog on a clip whose file has N cues (the file read, the
// "Text" page filled and laid out, the preview drawn), changing the language
// of an 8-bit file, and opening a 64 MB file of empty lines (time and the
// growth of the process's peak memory). Opening must stay linear in N and
// under a second for 1,500 cues.
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"

#include "childrun.h"
#include "gfx/bitmap.h"
#include "skin/kivcombobox.h"
#include "skin/kivmemo.h"
#include "testkit/tempfolder.h"
#include "vcl/application.h"
#include "vcl/headless.h"
#include "win32/progfolders.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <fstream>
#include <memory>

namespace {

struct Dialog {
    Dialog()
    {
        SetProgramFolder(benchkit::BinDir() + "/");   // the built pictures
        app.SetBackend(std::make_unique<THeadlessBackend>());
        const char* names[] = {"English", "Czech"};
        const char* sets[] = {"ISO-8859-1", "CP1250"};
        RegionLanguage.SetLength(2);
        CharacterSet.SetLength(2);
        LanguageCode.SetLength(2);
        for (int i = 0; i < 2; ++i) RegionLanguage[i] = names[i], CharacterSet[i] = sets[i], LanguageCode[i] = "EN";
        app.CreateForm(QV_Video_DVD_Subtitle_Property_Form);
        form = QV_Video_DVD_Subtitle_Property_Form;
        clip = std::make_unique<TQV_MovieImage>(nullptr, 0);
        clip->Snapshot->SetSize(320, 240);
        clip->SubtitleFontName = "Liberation Sans";
    }
    // A SubRip file of `cues` two-line cues in ISO-8859-1, about 85 bytes a cue.
    std::string Cues(int cues)
    {
        const std::string path = folder.File(std::to_string(cues) + ".srt");
        std::ofstream out(path, std::ios::binary);
        for (int i = 1; i <= cues; ++i) {
            const int s = i * 4;
            char timing[64];
            std::snprintf(timing, sizeof timing, "%02d:%02d:%02d,000 --> %02d:%02d:%02d,500", s / 3600, s / 60 % 60,
                          s % 60, s / 3600, s / 60 % 60, (s + 2) % 60);
            out << i << "\r\n" << timing << "\r\nCaf\xE9 cr\xE8me \xE0 la gare, cue " << i
                << "\r\nand its second line\r\n\r\n";
        }
        return path;
    }
    // Opens the dialog on the clip and lays out and paints its "Text" page.
    void Open(const std::string& file)
    {
        clip->SubtitleFile = file;
        form->PrepareSubtitleDialog(clip.get(), 1);
        benchmark::DoNotOptimize(form->kivMemo_Text->RowCount());
        form->kivMemo_Text->Repaint();
    }
    // The dialog as a clip without a file left it.
    void Empty()
    {
        clip->SubtitleFile.clear();
        form->PrepareSubtitleDialog(clip.get(), 1);
        benchmark::DoNotOptimize(form->kivMemo_Text->RowCount());
        form->kivMemo_Text->Repaint();
    }

    testkit::TempFolder folder{"keldara-bench-subtitle"};
    TApplication app;
    TQV_Video_DVD_Subtitle_Property_Form* form = nullptr;
    std::unique_ptr<TQV_MovieImage> clip;
};

Dialog& Ui()
{
    static Dialog dialog;
    return dialog;
}

void BM_SubtitleDialogOpen(benchmark::State& state)
{
    const std::string file = Ui().Cues(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Ui().Empty();
        state.ResumeTiming();
        Ui().Open(file);
    }
    state.SetComplexityN(state.range(0));
    state.counters["memo_lines"] = Ui().form->kivMemo_Text->Lines()->Count();
}
BENCHMARK(BM_SubtitleDialogOpen)->Arg(250)->Arg(1000)->Arg(1500)->Arg(6000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SubtitleLanguageChange1500Cues(benchmark::State& state)
{
    Ui().Open(Ui().Cues(1500));
    TkivComboBox& language = *Ui().form->kivComboBox_Language;
    int index = 0;
    for (auto _ : state) {
        index = 1 - index;
        language.SetItemIndex(index);
        language.OnChange(&language);
        benchmark::DoNotOptimize(Ui().form->kivMemo_Text->RowCount());
    }
}
BENCHMARK(BM_SubtitleLanguageChange1500Cues)->Unit(benchmark::kMillisecond)->UseRealTime();

long PeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_SubtitleDialogOpen64MbOfEmptyLines(benchmark::State& state)
{
    const std::string path = Ui().folder.File("newlines.srt");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string block(1 << 20, '\n');
        for (int i = 0; i < 64; ++i) out << block;
    }
    const long before = PeakKb();
    for (auto _ : state) {
        state.PauseTiming();
        Ui().Empty();
        state.ResumeTiming();
        Ui().Open(path);
    }
    state.counters["peak_growth_MB"] = static_cast<double>(PeakKb() - before) / 1024;
    state.counters["memo_lines"] = Ui().form->kivMemo_Text->Lines()->Count();
}
BENCHMARK(BM_SubtitleDialogOpen64MbOfEmptyLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
