// The burn task end to end, as a user runs it: two clips encoded and
// multiplexed by the convert window, the files added in the disc-burner
// setup, Burn, and Start in the burning-process window, the disc read back
// with the real readers. SVCD and VCD images are burnt disc-at-once onto the
// virtual recorder through both SCSI layers, also with the recorder's faults;
// a two-title DVD folder is written through the engine's image-file writer.
#include "builderfixture.h"
#include "discfixture.h"

#include "author/dvdauthorlib.h"
#include "base/qv_loadfile.h"
#include "discrec/dkaspi.h"
#include "discrec/dkspti.h"
#include "pipeline/authorlibrary.h"
#include "pipeline/qv_videodvddiscburningprocessform.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"
#include "pipeline/vcdimagexml.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivmemo.h"
#include "skin/kivprogressbar.h"
#include "testkit/fakescsi.h"
#include "testkit/recorder.h"
#include "taskdriver.h"

#include <cstdlib>

namespace {

using Lines = std::vector<std::string>;

constexpr std::uint8_t kSynchronizeCache = 0x35;
constexpr std::uint8_t kWrite10 = 0x2A;

// The lines of `log` from `first` on.
Lines From(const Lines& log, const std::string& first)
{
    return Lines(std::find(log.begin(), log.end(), first), log.end());
}

// "name=value" lines of udfinfo.
std::string UdfField(const std::string& text, const std::string& name)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(name + "=")) return line.substr(name.size() + 1);
    return {};
}

// A queued writer message and how many log lines the window held when it came.
struct Arrival {
    UINT message = 0;
    WPARAM value = 0;
    std::size_t linesBefore = 0;
};

class BurnTaskTest : public BuilderTest {
protected:
    // With KELDARA_TASK_BACKEND=qt under Xvfb the windows are real, and so are their pictures.
    std::unique_ptr<THeadlessBackend> MakeScreen() override { return testkit::MakeTaskScreen(); }
    void SetUp() override
    {
        BuilderTest::SetUp();
        app->CreateForm(QV_Video_DVD_Setup_Disc_Burner_Form);
        app->CreateForm(QV_Video_DVD_Disc_Burning_Process_Form);
        setup = QV_Video_DVD_Setup_Disc_Burner_Form;
        burning = QV_Video_DVD_Disc_Burning_Process_Form;
        if (const char* keep = std::getenv("KELDARA_KEEP_TEST_OUTPUT"); keep && std::string(keep) == "1") {
            kept_ = std::make_unique<outsidetest::OutputFolder>("keldara-burntask");   // says where when it goes
            out_ = kept_->Path() + "/";
        } else {
            out_ = root_ + "/out/";
            ForceDirectories(out_);
        }
        logOf_ = [this] { return BurnLog().size(); };
        app->OnMessage = [this](MSG& msg, bool&) {
            if (msg.message == MSG_WRITER_STATUS || msg.message == MSG_WRITER_CLOSING ||
                msg.message == MSG_WRITER_PROGRESS)
                arrivals_.push_back({msg.message, msg.wParam, logOf_()});
        };
    }
    void TearDown() override
    {
        // A writer held by a fault never outlives the test: the faults go, the held command is let through.
        if (recorder_) {
            (*recorder_)->SetFaults({});
            (*recorder_)->ReleaseStall();
        }
        SetCurrentClock(&clock);
        app->OnMessage = nullptr;
        BuilderTest::TearDown();   // the windows go, their writers ended
        QV_Video_DVD_Setup_Disc_Burner_Form = nullptr;
        QV_Video_DVD_Disc_Burning_Process_Form = nullptr;
        recorder_.reset();
        ResetLayer();
        SetAspiLibraryLoader(TAspiLibraryLoader{});
        unsetenv("KELDARA_DVD_IMAGE_WRITER");
    }

    // No command is held, nor will be; the other faults stay.
    void LetWriterGo()
    {
        if (!recorder_) return;
        testkit::RecorderFaults faults = (*recorder_)->Faults();
        faults.stallOpcode = 0;
        (*recorder_)->SetFaults(faults);
        (*recorder_)->ReleaseStall();
    }
    // The SCSI layer let go, so that the next set-up binds one afresh.
    static void ResetLayer()
    {
        _DeInitializeASPI();
        SPTIDeInit();
        ASPIDLLLoaded = false;
    }
    // The ASPI library cannot be loaded: the set-up falls back to the built-in layer.
    static void HideAspiLibrary()
    {
        TAspiLibraryLoader loader;
        loader.Load = [](const std::string&) -> HMODULE { return nullptr; };
        SetAspiLibraryLoader(loader);
    }

    // A recorder with `medium` in its tray, the burnt sectors going to out/name.
    testkit::VirtualRecorder& Recorder(const testkit::Medium& medium, const std::string& name)
    {
        ResetLayer();
        if (recorder_) {
            (*recorder_)->SetFaults({});
            (*recorder_)->ReleaseStall();
        }
        recorder_.reset();
        testkit::RecorderConfig config;
        config.imagePath = out_ + name;
        std::filesystem::remove(config.imagePath);
        recorder_ = std::make_unique<testkit::RegisteredRecorder>(config, "virtual recorder");
        (*recorder_)->InsertMedium(medium);
        return recorder_->Recorder();
    }

    // The two clips: a person's own named in KELDARA_E2E_CLIPS ("first:second"),
    // else two synthetic 5 s stereo clips, at 25 or 29.97 frames.
    void AddTwoClips(bool pal)
    {
        ReleaseProjectData();
        if (const char* named = std::getenv("KELDARA_E2E_CLIPS"); named && *named) {
            std::istringstream list(named);
            for (std::string clip; std::getline(list, clip, ':');) {
                if (clip.empty()) continue;
                // The program's own probe judges the clip, as when a person adds it: a clip it
                // refuses ends the test with the program's answer.
                TQV_LoadFile probe(true, clip, static_cast<int>(MyMovieImage.Length()), 0, nullptr);
                const HRESULT hr = probe.ProbeClipFile();
                ASSERT_TRUE(SUCCEEDED(hr) && probe.Clip)
                    << "the program refuses " << clip << " (HRESULT 0x" << std::hex << hr << ")";
                MyMovieImage.Add(std::move(probe.Clip));
            }
            ASSERT_EQ(MyMovieImage.Length(), 2) << "KELDARA_E2E_CLIPS names two clips separated by ':'";
            return;
        }
        for (const char* name : {"Holiday", "Garden party"}) {
            testkit::ClipSpec spec;
            spec.width = 160;
            spec.height = 120;
            spec.seconds = 5;
            spec.fpsNum = pal ? 25 : 30000;
            spec.fpsDen = pal ? 1 : 1001;
            const std::string path = media_ + name + (pal ? " PAL.avi" : " NTSC.avi");
            testkit::WriteClip(path, spec);
            AddClip(path, spec.seconds, spec.width, spec.height)->FrameRate = pal ? 25 : 29.97;
        }
    }
    // The clips converted by the convert window (kind 1 DVD, 2 SVCD, 3 VCD), the
    // files moved out of the working folder into media/<name>/.
    Lines ConvertClips(int kind, bool pal, const std::string& name)
    {
        Ready(false, kind);
        form->Label5->SetChecked(!pal);
        form->Label5Click(nullptr);
        Start();
        EXPECT_TRUE(RunToEnd());
        EXPECT_EQ(LogLines().back(), "Process finished.");
        const std::string folder = media_ + name + "/";
        ForceDirectories(folder);
        Lines files;
        for (const std::string& file : FilesIn(work_)) {
            std::filesystem::rename(work_ + file, folder + file);
            files.push_back(folder + file);
        }
        return files;
    }

    Lines BoxesSince(std::size_t first) const
    {
        const Lines all = BoxTexts();
        return Lines(all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end());
    }
    Lines BurnLog() const
    {
        Lines lines;
        for (int i = 0; i < burning->Memo1->Lines()->Count(); ++i) lines.push_back(burning->Memo1->Lines()->Get(i));
        return lines;
    }

    // The burn task: the setup window for `kind` with `files` added through its
    // open dialog (kind 2, 3) or its folder button (kind 1), Burn, and in the
    // burning-process window `inWindow`, then its close button (Yes when asked).
    void BurnTask(int kind, const Lines& files, const std::function<void()>& inWindow)
    {
        setup->InitBurnFileList(kind);
        setup->Show();
        if (kind == 1) {
            ScriptedDialogs().AnswerFolder(files.at(0));
            headless->ClickControl(*setup->kivImageButton2);
        } else {
            ScriptedDialogs().AnswerFiles(files);
            headless->ClickControl(*setup->kivImageButton_AddFile);
        }
        testkit::ShootWindow(*headless, *setup, shotName_ + "-1-setup");
        bool shown = false;
        headless->OnNextModal([&](TCustomForm& modal) {
            shown = &modal == burning;
            if (shown) inWindow();
            testkit::ShootWindow(*headless, *burning, shotName_ + "-3-after");
            LetWriterGo();   // a step that failed half way leaves no writer held for the close to wait on
            if (burning->Running()) headless->AnswerNextMessageBox(mrYes);
            headless->ClickControl(*burning->kivImageButton1);
        });
        headless->ClickControl(*setup->kivImageButton3);
        EXPECT_TRUE(shown) << ::testing::PrintToString(BoxTexts());
        headless->ClickControl(*setup->kivImageButton_Close);   // the list goes with the window
        EXPECT_TRUE(setup->Model.Files->MpgFiles.empty() && setup->Model.Files->IfoFiles.empty());
    }

    // In the burning-process window: Start, and the run to its end. With a
    // CD image, the writer is held at its closing SYNCHRONIZE CACHE, when every
    // sector is sent, so that the image can be kept before a good burn deletes it.
    struct CdRun {
        Lines log;
        std::string cue, bin;             // the built image, kept in out/
        std::string imageCue, imageBin;   // where it was built
        bool held = false;
        bool trayOut = false;
        int position = -1, maximum = -1;
    };
    CdRun StartCdBurn(testkit::VirtualRecorder& recorder, const std::string& keepAs)
    {
        CdRun run;
        testkit::RecorderFaults faults = recorder.Faults();
        faults.stallOpcode = kSynchronizeCache;
        recorder.SetFaults(faults);
        headless->ClickControl(*burning->kivImageButton_Start);
        EXPECT_TRUE(PumpUntil([&] { return recorder.Stalled() || !burning->Running(); }, 120));
        run.imageCue = burning->CdStage().CuePath();
        run.imageBin = burning->CdStage().BinPath();
        if (recorder.Stalled()) {
            testkit::ShootWindow(*headless, *burning, shotName_ + "-2-writing");
            run.held = true;
            run.cue = out_ + keepAs + ".cue";
            run.bin = out_ + keepAs + ".bin";
            EXPECT_TRUE(CopyFile(run.imageCue, run.cue, false));
            EXPECT_TRUE(CopyFile(run.imageBin, run.bin, false));
            recorder.ReleaseStall();
        }
        EXPECT_TRUE(PumpUntil([&] { return !burning->Running(); }, 120));
        run.log = BurnLog();
        run.trayOut = recorder.TrayOpen();   // the close button puts it back in
        run.position = burning->kivProgressBar->Position();
        run.maximum = burning->kivProgressBar->Max();
        return run;
    }

    // The recorder's image is the .bin, sector for sector, and vcd-info reads
    // it as the disc kind with the volume id the window gave.
    void ExpectBurntImage(const CdRun& run, const std::string& burnt, int kind, const std::string& volume)
    {
        ASSERT_TRUE(run.held);
        const std::string bin = ReadBytes(run.bin), image = ReadBytes(burnt);
        ASSERT_GT(bin.size(), 0u);
        ASSERT_EQ(bin.size() % 2352, 0u);
        ASSERT_EQ(image.size(), bin.size());
        for (std::size_t sector = 0; sector < bin.size() / 2352; ++sector)
            ASSERT_EQ(image.compare(sector * 2352, 2352, bin, sector * 2352, 2352), 0) << "sector " << sector;
        std::string cue = ReadBytes(run.cue);
        const std::size_t open = cue.find('"'), close = cue.find('"', open + 1);
        ASSERT_NE(close, std::string::npos) << cue;
        cue.replace(open + 1, close - open - 1, burnt);
        const std::string burntCue = ChangeFileExt(burnt, ".cue");   // vcd-info finds the .bin beside it
        outsidetest::WriteText(burntCue, cue);
        std::string info;
        ASSERT_EQ(outsidetest::Run({"vcd-info", "--no-banner", "--cue-file", burntCue}, &info), 0);
        EXPECT_NE(info.find(kind == 2 ? "SVCD detected" : "VCD 2.0 detected"), std::string::npos) << info;
        EXPECT_NE(info.find(" volume id: `" + volume + "'"), std::string::npos) << info;
        std::cout << "vcd-info of the burnt disc:\n" << info.substr(0, 1200) << "\n";
    }
    // A good burn: the run's lines, the bar at its end, the disc closed, the tray unlocked and out, the image gone.
    void ExpectGoodBurn(const CdRun& run, testkit::VirtualRecorder& recorder, int busyWrites = 0)
    {
        EXPECT_EQ(From(run.log, "Starting to burn..."),
                  (Lines{"Starting to burn...", "Getting disc type...", "CD-R disc..", "Check disc free space...",
                         "Burning disc image,Please waiting...", "Burn Done !", "Process finished."}))
            << ::testing::PrintToString(run.log);
        EXPECT_GT(run.maximum, 1);
        EXPECT_EQ(run.position, run.maximum);
        EXPECT_TRUE(recorder.DiscComplete());
        EXPECT_FALSE(recorder.Locked());
        EXPECT_TRUE(run.trayOut);
        EXPECT_FALSE(run.imageCue.empty());
        EXPECT_FALSE(FileExists(run.imageCue));
        EXPECT_FALSE(FileExists(run.imageBin));
        // The disc-at-once write began with the pregap, which the recorder takes only as zeros.
        const std::vector<testkit::RecordedCommand> writes = recorder.CommandsWithOpcode(kWrite10);
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.front().cdb[2], 0xFF);
        EXPECT_EQ((writes.front().cdb[4] << 8 | writes.front().cdb[5]), 0xFF6A);   // LBA -150
        int busy = 0;
        for (const testkit::RecordedCommand& write : writes) {
            if (write.status == 0) continue;
            ++busy;
            EXPECT_EQ(write.senseKey << 16 | write.asc << 8 | write.ascq, 0x020408);   // long write in progress
        }
        EXPECT_EQ(busy, busyWrites);
        EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
    }

    // The engine's messages in order (a run of one kind as one), each logging its line as it came.
    void ExpectWriterMessages(const Lines& log)
    {
        std::vector<Arrival> kinds;
        int lastProgress = -1;
        for (const Arrival& a : arrivals_) {
            if (a.message == MSG_WRITER_PROGRESS) {
                EXPECT_GE(static_cast<int>(a.value), lastProgress);
                EXPECT_LE(a.value, static_cast<unsigned>(HWE_PROGRESS_FULL));
                lastProgress = static_cast<int>(a.value);
            }
            if (kinds.empty() || kinds.back().message != a.message || a.message == MSG_WRITER_STATUS)
                kinds.push_back(a);
        }
        ASSERT_EQ(kinds.size(), 4u) << ::testing::PrintToString(log);
        EXPECT_EQ(kinds[0].message, MSG_WRITER_STATUS);
        EXPECT_EQ(kinds[0].value, 0u);
        EXPECT_EQ(kinds[1].message, MSG_WRITER_PROGRESS);
        EXPECT_EQ(kinds[2].message, MSG_WRITER_CLOSING);
        EXPECT_EQ(kinds[3].message, MSG_WRITER_STATUS);
        EXPECT_EQ(kinds[3].value, 17u);
        const auto lineAt = [&](std::size_t at) { return at < log.size() ? log[at] : std::string("(none)"); };
        EXPECT_EQ(lineAt(kinds[0].linesBefore), "Write init ok - write process has started.");
        EXPECT_EQ(lineAt(kinds[2].linesBefore), "Closing session >>>");
        // The eject takes the disc out, but the run has ended: its media message adds nothing.
        const Lines end(log.begin() + static_cast<std::ptrdiff_t>(std::min(kinds[3].linesBefore, log.size())), log.end());
        EXPECT_EQ(end, (Lines{"Write is complete and sucessful.", "Ejecting the disc >>>", "Process finished."}))
            << ::testing::PrintToString(log);
    }

    // An authored folder: its titles as lsdvd reads them and its VIDEO_TS files.
    struct DvdFolder {
        std::string path;
        std::vector<disctest::DiscTitle> titles;
        Lines names;
        Lines bytes;
    };
    static DvdFolder ReadFolder(const std::string& path)
    {
        DvdFolder folder{path, disctest::ReadDisc(path), FilesIn(path + "/VIDEO_TS"), {}};
        for (const std::string& name : folder.names) folder.bytes.push_back(ReadBytes(path + "/VIDEO_TS/" + name));
        return folder;
    }
    // The image as the readers see it: the volume name, UDF 1.02, the folder's
    // titles and chapters, and every file of VIDEO_TS as it was.
    void ExpectDvdImage(const std::string& iso, const DvdFolder& source, const std::string& volume)
    {
        std::string iso9660, udf, dvd;
        ASSERT_EQ(outsidetest::Run({"isoinfo", "-d", "-i", iso}, &iso9660), 0);
        EXPECT_NE(iso9660.find("Volume id: " + volume + "\n"), std::string::npos) << iso9660;
        ASSERT_EQ(outsidetest::Run({"udfinfo", iso}, &udf), 0);
        EXPECT_EQ(UdfField(udf, "udfrev"), "1.02") << udf;
        EXPECT_EQ(UdfField(udf, "label"), volume) << udf;
        ASSERT_EQ(outsidetest::Run({"lsdvd", iso}, &dvd), 0);
        std::cout << "lsdvd of the image:\n" << dvd;
        const std::vector<disctest::DiscTitle> burnt = disctest::ReadDisc(iso);
        ASSERT_EQ(burnt.size(), source.titles.size());
        for (std::size_t t = 0; t < burnt.size(); ++t) {
            EXPECT_EQ(burnt[t].chapters, source.titles[t].chapters) << "title " << t + 1;
            EXPECT_EQ(burnt[t].length, source.titles[t].length) << "title " << t + 1;
        }
        ASSERT_GE(source.names.size(), 5u);   // VIDEO_TS.IFO/BUP, VTS_01_0.IFO/BUP, a VOB at least
        for (std::size_t i = 0; i < source.names.size(); ++i) {
            const std::string& name = source.names[i];
            const std::string copy = out_ + "extracted_" + name;
            ASSERT_EQ(outsidetest::Run({"sh", "-c", "isoinfo -i \"$0\" -x \"/VIDEO_TS/$1;1\" > \"$2\"", iso, name, copy}),
                      0);
            EXPECT_TRUE(ReadBytes(copy) == source.bytes[i]) << name;
            EXPECT_TRUE(ReadBytes(source.path + "/VIDEO_TS/" + name) == source.bytes[i]) << name;   // untouched
        }
    }

    testkit::FakeScsiSystem scsi_;   // the virtual recorder and no real drive
    TQV_Video_DVD_Setup_Disc_Burner_Form* setup = nullptr;
    TQV_Video_DVD_Disc_Burning_Process_Form* burning = nullptr;
    std::unique_ptr<testkit::RegisteredRecorder> recorder_;
    std::unique_ptr<outsidetest::OutputFolder> kept_;
    std::string out_;
    std::vector<Arrival> arrivals_;
    std::function<std::size_t()> logOf_;   // the run log's length, for the arrivals
    std::string shotName_ = "burn";          // the windows' pictures with KELDARA_TASK_SHOTS
};

TEST_F(BurnTaskTest, VcdAndSvcdBurnDiscAtOnceOntoTheRecorderThroughEitherLayer)
{
    // A PAL VCD through the ASPI library.
    AddTwoClips(true);
    const Lines vcd = ConvertClips(3, true, "vcd");
    ASSERT_EQ(vcd.size(), 2u);
    testkit::VirtualRecorder* recorder = &Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "vcd-burnt.bin");
    CdRun run;
    shotName_ = "vcd";
    BurnTask(3, vcd, [&] {
        EXPECT_EQ(ASPILayerName(), "WNASPI32.DLL");
        EXPECT_EQ(burning->kivEdit_VolumeName->Text(), "VCD_DISC");
        run = StartCdBurn(*recorder, "vcd");
    });
    ExpectGoodBurn(run, *recorder);
    ExpectBurntImage(run, out_ + "vcd-burnt.bin", 3, "vcd_disc");

    // An NTSC SVCD through the built-in layer, under a name of the user's.
    ResetLayer();
    HideAspiLibrary();
    AddTwoClips(false);
    const Lines svcd = ConvertClips(2, false, "svcd");
    ASSERT_EQ(svcd.size(), 2u);
    recorder = &Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "svcd-burnt.bin");
    shotName_ = "svcd";
    BurnTask(2, svcd, [&] {
        EXPECT_EQ(ASPILayerName(), "DKASPI32");
        burning->kivEdit_VolumeName->SetText("GARDEN_2026");
        run = StartCdBurn(*recorder, "svcd");
    });
    ExpectGoodBurn(run, *recorder);
    // The image's volume id is the name's first ten characters in lower case.
    ExpectBurntImage(run, out_ + "svcd-burnt.bin", 2, "garden_202");
    for (const std::string& mpeg : svcd) EXPECT_TRUE(FileExists(mpeg));   // the sources stay
    EXPECT_TRUE(NoChildLeft());
}

// Track 2's first sector in a disc-at-once .cue of one file.
std::int32_t SecondTrackStart(const std::string& cue)
{
    std::istringstream lines(cue);
    bool second = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word, number, time;
        words >> word >> number >> time;
        if (word == "TRACK") second = number == "02";
        if (second && word == "INDEX" && number == "01")
            return std::stoi(time.substr(0, 2)) * 4500 + std::stoi(time.substr(3, 2)) * 75 + std::stoi(time.substr(6, 2));
    }
    return -1;
}

TEST_F(BurnTaskTest, CdBurnFaultsEndAsTheUserIsToldAndKeepTheImage)
{
    AddTwoClips(true);
    const Lines vcd = ConvertClips(3, true, "vcd");
    ASSERT_EQ(vcd.size(), 2u);

    // Thirty busy writes: the burner waits them out and the disc is still the image.
    {
        SCOPED_TRACE("busy writes");
        shotName_ = "fault-busy";
        testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "busy-burnt.bin");
        testkit::RecorderFaults faults;
        faults.longWriteBusyWrites = 30;
        recorder.SetFaults(faults);
        CdRun run;
        BurnTask(3, vcd, [&] { run = StartCdBurn(recorder, "busy"); });
        ExpectGoodBurn(run, recorder, 30);
        ExpectBurntImage(run, out_ + "busy-burnt.bin", 3, "vcd_disc");
    }

    // A hard write error in track 2 ends the run with the drive's reason, the image kept.
    {
        SCOPED_TRACE("hard write error");
        shotName_ = "fault-error";
        testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "error-burnt.bin");
        testkit::RecorderFaults faults;
        faults.stallOpcode = 0x5D;   // held at the cue sheet, when the image is built
        recorder.SetFaults(faults);
        Lines log;
        std::int32_t failedAt = -1;
        BurnTask(3, vcd, [&] {
            headless->ClickControl(*burning->kivImageButton_Start);
            ASSERT_TRUE(PumpUntil([&] { return recorder.Stalled() || !burning->Running(); }, 120));
            ASSERT_TRUE(recorder.Stalled()) << ::testing::PrintToString(BurnLog());
            failedAt = SecondTrackStart(ReadBytes(burning->CdStage().CuePath())) + 40;
            ASSERT_GT(failedAt, 40);
            testkit::RecorderFaults hard;
            hard.hardWriteErrorAt = failedAt;
            recorder.SetFaults(hard);
            recorder.ReleaseStall();
            EXPECT_TRUE(PumpUntil([&] { return !burning->Running(); }, 120));
            log = BurnLog();
            EXPECT_FALSE(recorder.Locked());
        });
        const std::string reason = "WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]";
        EXPECT_EQ(From(log, "Burning disc image,Please waiting..."),
                  (Lines{"Burning disc image,Please waiting...", reason, "Process is terminated."}))
            << ::testing::PrintToString(log);
        ASSERT_EQ(headless->MessageBoxes().size(), 1u);
        EXPECT_EQ(headless->MessageBoxes()[0].text, reason);
        EXPECT_EQ(headless->MessageBoxes()[0].caption, "Error");
        EXPECT_TRUE(FileExists(burning->CdStage().CuePath()));
        EXPECT_TRUE(FileExists(burning->CdStage().BinPath()));
        const std::vector<testkit::RecordedCommand> writes = recorder.CommandsWithOpcode(kWrite10);
        ASSERT_FALSE(writes.empty());
        const testkit::RecordedCommand& last = writes.back();
        EXPECT_EQ(last.senseKey << 16 | last.asc << 8 | last.ascq, 0x030C00);
        const std::int32_t lba = last.cdb[2] << 24 | last.cdb[3] << 16 | last.cdb[4] << 8 | last.cdb[5];
        const int count = last.cdb[7] << 8 | last.cdb[8];
        EXPECT_TRUE(lba <= failedAt && failedAt < lba + count) << lba << " " << count;
    }

    // Every sector written, but the flush that closes the disc fails: an error
    // with the drive's reason, not "Burn Done !", and the image kept.
    {
        SCOPED_TRACE("close fails");
        shotName_ = "fault-close";
        const std::size_t boxes = BoxTexts().size();
        testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "open-burnt.bin");
        recorder.SetFaults(testkit::RecorderFaults::Refusing(kSynchronizeCache));
        Lines log;
        BurnTask(3, vcd, [&] {
            headless->ClickControl(*burning->kivImageButton_Start);
            EXPECT_TRUE(PumpUntil([&] { return !burning->Running(); }, 120));
            log = BurnLog();
        });
        const std::string reason = "SYNCHRONIZE CACHE FAILED [MEDIUM ERROR (WRITE ERROR)]";
        EXPECT_EQ(From(log, "Burning disc image,Please waiting..."),
                  (Lines{"Burning disc image,Please waiting...", reason, "Process is terminated."}))
            << ::testing::PrintToString(log);
        EXPECT_EQ(BoxesSince(boxes), (Lines{reason}));
        EXPECT_FALSE(recorder.DiscComplete());
        EXPECT_FALSE(recorder.Locked());
        EXPECT_TRUE(FileExists(burning->CdStage().CuePath()));
        EXPECT_TRUE(FileExists(burning->CdStage().BinPath()));
    }

    // The close button during the write: asked, the write aborted and waited for, the
    // tray unlocked, and nothing said once the window is gone. The drive stays busy
    // (the writer retries on the system clock) until the write is aborted.
    {
        SCOPED_TRACE("close during the write");
        shotName_ = "fault-closed";
        const std::size_t boxes = BoxTexts().size();
        testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "closed-burnt.bin");
        testkit::RecorderFaults faults;
        faults.longWriteBusyWrites = 1 << 30;
        recorder.SetFaults(faults);
        SetCurrentClock(nullptr);
        BurnTask(3, vcd, [&] {
            headless->ClickControl(*burning->kivImageButton_Start);
            EXPECT_TRUE(PumpUntil([&] { return !recorder.CommandsWithOpcode(kWrite10).empty() || !burning->Running(); }, 120));
            EXPECT_TRUE(burning->Running()) << ::testing::PrintToString(BurnLog());
        });
        SetCurrentClock(&clock);
        recorder.SetFaults({});
        const Lines log = BurnLog();
        EXPECT_NE(std::find(log.begin(), log.end(), "OPERATION ABORTED BY USER"), log.end()) << ::testing::PrintToString(log);
        EXPECT_EQ(log.back(), "Process is terminated.");
        EXPECT_EQ(BoxesSince(boxes), (Lines{"Sure to close?\nDisc may be damaged!"}));
        EXPECT_FALSE(recorder.Locked());
        EXPECT_LT(recorder.RecordedSectors(), FileSize64(burning->CdStage().BinPath()) / 2352);
        EXPECT_FALSE(burning->CdStage().Writing());
        EXPECT_TRUE(FileExists(burning->CdStage().BinPath()));
        PumpUntil([] { return false; }, 1);
        EXPECT_EQ(BurnLog(), log);
        EXPECT_EQ(BoxTexts().size(), boxes + 1);
    }

    // An image larger than the blank disc: No at the question writes nothing.
    {
        SCOPED_TRACE("image too large");
        shotName_ = "fault-toolarge";
        const std::size_t boxes = BoxTexts().size();
        testkit::VirtualRecorder& recorder =
            Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR, 300), "small-burnt.bin");
        Lines log;
        BurnTask(3, vcd, [&] {
            headless->AnswerNextMessageBox(mrNo);
            log = StartCdBurn(recorder, "small").log;
        });
        EXPECT_EQ(BoxesSince(boxes), (Lines{kCdImageTooLargeText}));
        EXPECT_EQ(From(log, "Check disc free space..."), (Lines{"Check disc free space...", "Process is terminated."}));
        EXPECT_TRUE(recorder.CommandsWithOpcode(kWrite10).empty());
        EXPECT_TRUE(recorder.CommandsWithOpcode(0x5D).empty());
        EXPECT_TRUE(FileExists(burning->CdStage().BinPath()));
    }

    // Another program holds the drive for itself (a mounted disc): the burn cannot
    // start, and the box says why, not that the disc was not writable.
    {
        SCOPED_TRACE("drive held");
        shotName_ = "fault-held";
        const std::size_t boxes = BoxTexts().size();
        testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "held-burnt.bin");
        ScsiOpenError error;
        const std::shared_ptr<ScsiDriveHandle> held = OpenScsiDrive((*recorder_).Number(), ScsiOpenMode::Exclusive, &error);
        ASSERT_NE(held, nullptr) << error.text;
        Lines log;
        BurnTask(3, vcd, [&] { log = StartCdBurn(recorder, "held").log; });
        const std::string reason = "virtual recorder is in use (a disc in it may be mounted)";
        EXPECT_EQ(BoxesSince(boxes), (Lines{reason}));
        EXPECT_EQ(From(log, "Burning disc image,Please waiting..."),
                  (Lines{"Burning disc image,Please waiting...", "Process is terminated."}))
            << ::testing::PrintToString(log);
        EXPECT_TRUE(recorder.CommandsWithOpcode(0x5D).empty());
        EXPECT_TRUE(FileExists(burning->CdStage().BinPath()));
    }

    // A full CD-RW: the tray opens with the prompt for a blank disc, and Cancel ends the run.
    {
        SCOPED_TRACE("full CD-RW");
        shotName_ = "fault-fullrw";
        const std::size_t boxes = BoxTexts().size();
        testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Complete(testkit::MediumKind::CdRw), "full-burnt.bin");
        Lines log;
        BurnTask(3, vcd, [&] {
            headless->AnswerNextMessageBox(mrCancel);
            log = StartCdBurn(recorder, "full").log;
        });
        EXPECT_EQ(BoxesSince(boxes), (Lines{kCdInsertDiscText}));
        EXPECT_EQ(From(log, "Starting to burn..."),
                  (Lines{"Starting to burn...", "Getting disc type...", "Process is terminated."}));
        EXPECT_TRUE(recorder.CommandsWithOpcode(kWrite10).empty());
        // The tray went out with the prompt and back in after it.
        const std::vector<testkit::RecordedCommand> loads = recorder.CommandsWithOpcode(0x1B);
        const auto eject = std::find_if(loads.begin(), loads.end(), [](const auto& c) { return (c.cdb[4] & 0x03) == 0x02; });
        ASSERT_NE(eject, loads.end());
        EXPECT_TRUE(std::any_of(eject, loads.end(), [](const auto& c) { return (c.cdb[4] & 0x03) == 0x03; }));
        EXPECT_FALSE(recorder.TrayOpen());
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BurnTaskTest, ATwoTitleDvdFolderIsWrittenThroughTheEngineIntoTheImageFile)
{
    AddTwoClips(true);
    const Lines vobs = ConvertClips(1, true, "vobs");
    ASSERT_EQ(vobs.size(), 2u);
    // Authored with chapters: three in title 1, two in title 2.
    const std::string dest = media_ + "Holiday disc", xml = media_ + "Author.xml";
    outsidetest::WriteText(xml, "<dvdauthor dest=\"" + dest + "\">\n <vmgm />\n <titleset>\n  <titles>\n"
                                "   <pgc>\n    <vob file=\"" + vobs[0] + "\" chapters=\"0,00:00:02.000,00:00:04.000\" />\n"
                                "   </pgc>\n   <pgc>\n    <vob file=\"" + vobs[1] + "\" chapters=\"0,00:00:02.500\" />\n"
                                "   </pgc>\n  </titles>\n </titleset>\n</dvdauthor>\n");
    {
        AuthorLibrary author;
        ASSERT_TRUE(author.Load(AuthorLibrary::Counter::VobsMB)) << author.LastError();
        ASSERT_EQ(author.AuthorMain(xml), AUTHOR_OK) << author.LastError();
    }
    const DvdFolder source = ReadFolder(dest);
    ASSERT_EQ(source.titles.size(), 2u);
    EXPECT_EQ(source.titles[0].chapters, 3);
    EXPECT_EQ(source.titles[1].chapters, 2);

    const std::string iso = out_ + "dvd.iso";
    setenv("KELDARA_DVD_IMAGE_WRITER", iso.c_str(), 1);
    Lines log;
    int bar = -1;
    shotName_ = "dvd";
    BurnTask(1, {dest}, [&] {
        ASSERT_EQ(burning->kivComboBox_Drive->Items()->Count(), 1);
        EXPECT_EQ(burning->kivComboBox_Drive->Items()->Get(0), "Image file writer (" + iso + ")");
        burning->kivEdit_VolumeName->SetText("HOLIDAY_2026");
        headless->ClickControl(*burning->kivImageButton_Start);
        EXPECT_TRUE(burning->Running());
        testkit::ShootWindow(*headless, *burning, "dvd-2-writing");
        EXPECT_TRUE(PumpUntil([&] { return !burning->Running(); }, 120));
        log = BurnLog();
        bar = burning->kivProgressBar->Position();
    });
    EXPECT_EQ(bar, 100);
    EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
    EXPECT_EQ(From(log, "Starting to burn...").size(), log.size() - 1) << ::testing::PrintToString(log);
    ExpectWriterMessages(log);
    ExpectDvdImage(iso, source, "HOLIDAY_2026");

    // An image file writer whose target cannot be replaced (a folder stands
    // there): the write fails, and the box and the log say why.
    const std::string folderTarget = out_ + "taken.iso";
    ForceDirectories(folderTarget);
    setenv("KELDARA_DVD_IMAGE_WRITER", folderTarget.c_str(), 1);
    shotName_ = "dvd-target";
    BurnTask(1, {dest}, [&] {
        headless->ClickControl(*burning->kivImageButton_Start);
        EXPECT_TRUE(PumpUntil([&] { return !burning->Running(); }, 120));
        log = BurnLog();
    });
    const std::string why = "the image could not be put in place as " + folderTarget + ": Is a directory";
    EXPECT_EQ(BoxTexts(), (Lines{"DVD disc wrong, burning process is terminated!\n" + why}));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(Lines(log.end() - 2, log.end()), (Lines{why, "Process is terminated."})) << ::testing::PrintToString(log);
    EXPECT_FALSE(FileExists(folderTarget + ".part"));
    EXPECT_EQ(std::find(log.begin(), log.end(), "Closing session >>>"), log.end());   // nothing was being closed
    unsetenv("KELDARA_DVD_IMAGE_WRITER");

    // The virtual recorder as a DVD writer: no burning program can open it,
    // so the engine sends the image's sectors itself, and the disc reads back
    // as the folder. Nothing is logged once the run is over, though the
    // ejected disc makes the engine speak.
    testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::DvdR), "recorder-dvd.iso");
    arrivals_.clear();
    shotName_ = "dvd-recorder";
    BurnTask(1, {dest}, [&] {
        ASSERT_EQ(burning->kivComboBox_Drive->Items()->Count(), 1);
        EXPECT_EQ(burning->kivComboBox_Drive->Items()->Get(0), "KELDARA VIRTUAL RECORDER 1.00 (virtual recorder)");
        burning->kivEdit_VolumeName->SetText("RECORDED");
        headless->ClickControl(*burning->kivImageButton_Start);
        EXPECT_TRUE(PumpUntil([&] { return !burning->Running(); }, 120));
        PumpUntil([] { return false; }, 2);   // the ejected disc's media message comes
        log = BurnLog();
    });
    EXPECT_EQ(BoxTexts().size(), 1u) << ::testing::PrintToString(BoxTexts());
    ExpectWriterMessages(log);
    EXPECT_TRUE(recorder.DiscComplete());
    ExpectDvdImage(out_ + "recorder-dvd.iso", source, "RECORDED");
    EXPECT_TRUE(NoChildLeft());
}

// The disc builder from clips to disc: an SVCD onto the recorder, a DVD into the image file.
TEST_F(BurnTaskTest, TheDiscBuilderBurnsAnSvcdOntoTheRecorderAndWritesADvdIntoTheImageFile)
{
    AddTwoClips(true);
    testkit::VirtualRecorder& recorder = Recorder(testkit::Medium::Blank(testkit::MediumKind::CdR), "builder-burnt.bin");
    testkit::RecorderFaults faults;
    faults.stallOpcode = kSynchronizeCache;   // held when every sector is sent, to keep the image
    recorder.SetFaults(faults);
    builder->SetBurnStage(MakeDiscBurnStage());
    ReadyBuilder(2);
    EXPECT_EQ(ASPILayerName(), "WNASPI32.DLL");
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return recorder.Stalled() || !builder->RunActive(); }, 300));
    CdRun run;
    const std::string base = work_ + VcdImageBaseName(builder->kivEdit_VolumeName->Text(), 2);
    run.imageCue = base + ".cue";
    run.imageBin = base + ".bin";
    if (recorder.Stalled()) {
        run.held = true;
        run.cue = out_ + "builder.cue";
        run.bin = out_ + "builder.bin";
        EXPECT_TRUE(CopyFile(run.imageCue, run.cue, false));
        EXPECT_TRUE(CopyFile(run.imageBin, run.bin, false));
        recorder.ReleaseStall();
    }
    ASSERT_TRUE(BuildToEnd());
    run.log = BuilderLog();
    run.trayOut = recorder.TrayOpen();
    run.position = builder->kivProgressBar->Position();
    run.maximum = builder->kivProgressBar->Max();
    ExpectGoodBurn(run, recorder);
    ExpectBurntImage(run, out_ + "builder-burnt.bin", 2, "svcd_disc");
    EXPECT_EQ(FilesIn(work_), (Lines{"SVCD_DISC_1.mpg", "SVCD_DISC_2.mpg"}));

    // The DVD run writes through the engine's image-file writer.
    for (const std::string& mpeg : FilesIn(work_)) DeleteFile(work_ + mpeg);
    const std::string iso = out_ + "builder.iso";
    setenv("KELDARA_DVD_IMAGE_WRITER", iso.c_str(), 1);
    arrivals_.clear();
    logOf_ = [this] { return BuilderLog().size(); };
    ReadyBuilder(1);
    ASSERT_EQ(builder->kivComboBox_Drive->Items()->Count(), 1);
    StartBuilder();
    ASSERT_TRUE(BuildToEnd());
    const Lines log = BuilderLog();
    EXPECT_EQ(builder->kivProgressBar->Position(), 100);
    ExpectWriterMessages(log);
    const DvdFolder source = ReadFolder(work_ + "DVD_DISC");
    ASSERT_EQ(source.titles.size(), 2u);
    ExpectDvdImage(iso, source, "DVD_DISC");
    EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
    EXPECT_TRUE(NoChildLeft());
}
} // namespace
