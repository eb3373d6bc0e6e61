#include "pipeline/burnstage.h"

#include "pipeline/threadvcdimager.h"
#include "pipeline/vcdimagexml.h"

#include "base/burnpubfunction.h"
#include "base/qv_pubfunction.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "vcl/dialogs.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr int kNameBufferSize = 260;

struct MediaTypeName {
    int code;
    const char* text;
    bool writable;
};
constexpr MediaTypeName kMediaTypes[] = {
    {8, "Inserted media : CD-ROM", false},
    {9, "Inserted media : CD-R", false},
    {10, "Inserted media : CD-RW", false},
    {16, "Inserted media : DVD-ROM", false},
    {17, "Inserted media : DVD-R", true},
    {18, "Inserted media : Dual Layer DVD-RAM", true},
    {19, "Inserted media : DVD-RW Restricted Overwrite", true},
    {20, "Inserted media : DVD-RW Sequential", true},
    {21, "Inserted media : Dual Layer DVD-R", true},
    {22, "Inserted media : Dual Layer DVD-R Jump Recording", true},
    {26, "Inserted media : DVD+RW", true},
    {27, "Inserted media : DVD+R", true},
    {32, "Inserted media : Double Density CD-ROM", false},
    {33, "Inserted media : Double Density CD-R", false},
    {34, "Inserted media : Double Density CD-RW", false},
    {42, "Inserted media : Dual Layer DVD+RW", true},
    {43, "Inserted media : Dual Layer DVD+R", true},
    {128, "Inserted media : HD Burn CD-ROM", false},
    {129, "Inserted media : HD Burn CD-R", false},
    {130, "Inserted media : HD Burn CD-RW", false},
};

const MediaTypeName* FindMediaType(int code)
{
    for (const MediaTypeName& type : kMediaTypes)
        if (type.code == code) return &type;
    return nullptr;
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return out.good();
}

} // namespace

bool WritableDvdType(int mediaType)
{
    const MediaTypeName* type = FindMediaType(mediaType);
    return type && type->writable;
}

std::string MediaTypeText(int mediaType)
{
    const MediaTypeName* type = FindMediaType(mediaType);
    return type ? type->text : "Unknown type media inserted";
}

std::string DiscFolderOfIfo(const std::string& ifoPath)
{
    std::string folder = ifoPath.substr(0, ifoPath.rfind('/') + 1);   // ".../VIDEO_TS/"
    const std::size_t videoTs = folder.rfind("VIDEO_TS");
    return videoTs == std::string::npos ? folder : folder.substr(0, videoTs);
}

BurnStage::BurnStage(BurnView& view, std::function<bool(WritingEngine&)> loader, const BurnStageValues& values)
    : view_(view), loader_(loader ? std::move(loader) : [](WritingEngine& engine) { return LoadWritingEngine(engine); }),
      values_(values)
{
}

BurnStage::~BurnStage()
{
    EndImageBuild(true);
    Release();
}

// --- the DVD writer ------------------------------------------------------------------------
bool BurnStage::InitBurner(int discType)
{
    if (discType < 0 || discType > 3) {
        MessageDlg("Burning mode error!", mtError, MsgButtons({mbOK}));
        return false;
    }
    if (discType >= 2) {
        // CD images are burnt by the CD stage through the SCSI layer: this DVD-writing
        // engine has no writer to offer for them.
        view_.ClearDrives();
        NoSupport();
        return true;
    }
    // A set-up again (a second run's) starts with a fresh handle: the old one is given back first.
    if (engine_.EngineHandle != 0 && engine_.Hwe_Free) engine_.Hwe_Free(engine_.EngineHandle);
    engine_.EngineHandle = 0;
    engine_.EngineReady = false;
    ended_ = false;
    if (!loader_(engine_)) return false;
    const int r = engine_.Hwe_Init(0, 0, &engine_.EngineHandle);
    if (r == HWE_OK) {
        engine_.Hwe_RegisterCallback(engine_.EngineHandle, WriterEventCallback, view_.WindowHandle());
        const int n = engine_.Hwe_GetDvdWritersCount(engine_.EngineHandle);
        view_.ClearDrives();
        for (int i = 0; i < n; ++i) {
            std::string name(kNameBufferSize, '\0');
            engine_.Hwe_GetDvdWriterName(engine_.EngineHandle, i, name.data(), kNameBufferSize);
            name.resize(std::min<std::size_t>(name.find('\0'), kNameBufferSize));
            view_.AddDrive(name);
        }
        if (n <= 0) return false;
        engine_.Hwe_SetWriter(engine_.EngineHandle, 0);
        view_.SelectDrive(0);
        OnDriveChange(0);
        engine_.EngineReady = true;
        return true;
    }
    engine_.EngineHandle = 0;
    if (r == HWE_NO_WRITER) {
        view_.Log("No DVD writer.");
        view_.ClearDrives();
        NoSupport();
        return true;
    }
    MessageDlg("Disc burner initialize wrong. \nPlease reinstall software to fix it!", mtInformation,
               MsgButtons({mbOK}));
    return false;
}

void BurnStage::NoSupport()
{
    view_.ClearSpeeds();
    view_.AddSpeed("No Support!");
    view_.SelectSpeed(0);
    view_.EnableSpeeds(false);
}

void BurnStage::FillSpeeds()
{
    view_.ClearSpeeds();
    engine_.WriteSpeeds.fill(0);
    if (!HasEngine() ||
        engine_.Hwe_GetWriteSpeeds(engine_.EngineHandle, engine_.WriteSpeeds.data(),
                                   static_cast<int>(engine_.WriteSpeeds.size())) == 0) {
        NoSupport();
        return;
    }
    int count = 0;
    for (int speed : engine_.WriteSpeeds) {
        if (speed == 0) break;
        view_.AddSpeed(SimpleDvdSpeed(speed));
        ++count;
    }
    if (count == 0) {
        NoSupport();
        return;
    }
    view_.SelectSpeed(0);
    view_.EnableSpeeds(true);
}

void BurnStage::OnDriveChange(int index)
{
    if (index < 0 || !HasEngine()) return;
    if (engine_.Hwe_SetWriter(engine_.EngineHandle, index) == 0) {
        NoSupport();
        return;
    }
    FillSpeeds();
}

bool BurnStage::CheckDiscBeforeRun()
{
    if (engine_.EngineReady) {
        if (HasEngine() && WritableDvdType(engine_.Hwe_GetMediaType(engine_.EngineHandle))) return true;
    } else if (CdDriveReady && CdDriveReady()) {
        return true;
    }
    return MessageDlg("No matched disc in burner.\nClick \"Yes\" to continue convert.\nClick \"Cancel\" to cancel "
                      "progress!",
                      mtConfirmation, MsgButtons({mbYes, mbCancel})) == mrYes;
}

void BurnStage::StartDvdWrite(const std::string& discFolder, const std::string& volumeLabel)
{
    discFolder_ = discFolder;
    volumeLabel_ = volumeLabel;
    ended_ = false;
    promptless_ = true;
    closingLogged_ = false;
    if (!HasEngine()) {
        // The set-up found no writer: the authored folder stays for another burn, as a built CD image does.
        view_.Log("No DVD writer: the DVD folder stays in " + IncludeTrailingPathDelimiter(discFolder) + "VIDEO_TS.");
        view_.FinishRun(true);
        return;
    }
    TryWrite();
}

void BurnStage::TryWrite()
{
    if (WritableDvdType(engine_.Hwe_GetMediaType(engine_.EngineHandle))) {
        Write();
        return;
    }
    promptless_ = false;
    engine_.Hwe_OpenTray(engine_.EngineHandle);
    const int answer = MessageDlg("No matched disc in burner, insert blank DVD disc and click \n\"Yes\".\nClick "
                                  "\"Cancel\" to cancel progress!",
                                  mtConfirmation, MsgButtons({mbYes, mbCancel}));
    view_.Repaint();
    if (HasEngine()) engine_.Hwe_CloseTray(engine_.EngineHandle);
    if (answer != mrYes) {
        view_.Log("No matched disk infomation to burn.");
        view_.FinishRun(values_.cancelFinishes);
        return;
    }
    // The window goes on with its messages; a media message, 40 ticks or the
    // end of the run ends the wait.
    writableDvdSeen_ = false;
    mediaEventSeen_ = false;
    waiting_ = true;
    waitTicks_ = 0;
    if (!view_.TimerOn()) EndWait();
}

void BurnStage::EndWait()
{
    if (!waiting_) return;
    waiting_ = false;
    if (!HasEngine()) return;
    if (writableDvdSeen_)
        Write();
    else
        TryWrite();
}

void BurnStage::Write()
{
    view_.Log("Loading files ...");
    const std::string ifo = IncludeTrailingPathDelimiter(discFolder_) + "VIDEO_TS/VIDEO_TS.IFO";
    if (!FileExists(ifo)) {
        MessageDlg("No DVD directory in working folder!\nPlease try again!", mtError, MsgButtons({mbOK}));
        view_.FinishRun(false);
        return;
    }
    const std::string folder = DiscFolderOfIfo(ifo);
    view_.Log("Setting DVD speed >>> ");
    if (promptless_) {
        const int index = std::clamp(view_.SelectedSpeed(), 0, static_cast<int>(engine_.WriteSpeeds.size()) - 1);
        const int speed = engine_.WriteSpeeds[index];
        engine_.Hwe_SetWriteSpeed(engine_.EngineHandle, speed);
        view_.Log("Set write speed is : " + IntToStr(speed) + " Kbps.");
    } else {
        // After a prompt the medium may be another: its own speeds are read again.
        engine_.WriteSpeeds.fill(0);
        if (engine_.Hwe_GetWriteSpeeds(engine_.EngineHandle, engine_.WriteSpeeds.data(),
                                       static_cast<int>(engine_.WriteSpeeds.size())) != 0 &&
            engine_.WriteSpeeds[0] != 0) {
            engine_.Hwe_SetWriteSpeed(engine_.EngineHandle, engine_.WriteSpeeds[0]);
            view_.Log(values_.maxSpeedText);
        } else {
            view_.Log(values_.autoSpeedText);
        }
    }
    view_.Log("Writing the stuff to the DVD disc >>>");
    writing_ = true;
    closingLogged_ = false;
    engine_.Hwe_StartWriting(engine_.EngineHandle, folder.c_str(), volumeLabel_.c_str());
    view_.ShowWriting();
}

void BurnStage::WriterMessage(UINT message, WPARAM wparam)
{
    if (message == MSG_WRITER_MEDIA) {
        mediaEventSeen_ = true;
        if (!HasEngine()) return;
        const int type = engine_.Hwe_GetMediaType(engine_.EngineHandle);
        const int status = engine_.Hwe_GetMediaStatus(engine_.EngineHandle);
        if (WritableDvdType(type)) writableDvdSeen_ = true;
        // After the run (its disc ejected, say) the lists follow the medium and the log is left alone.
        if (!ended_) LogMedium(type, status);
        FillSpeeds();
        EndWait();
        return;
    }
    // The rest belong to a write; one of an ended run says nothing.
    if (!writing_) return;
    switch (message) {
    case MSG_WRITER_STATUS: {
        const int code = static_cast<int>(wparam);
        if (code == HWE_WRITE_STARTED) {
            view_.Log("Write init ok - write process has started.");
            return;
        }
        if (code == HWE_WRITE_FINALIZE_FAILED || code == HWE_WRITE_COMPLETE) {
            view_.Log(code == HWE_WRITE_COMPLETE ? "Write is complete and sucessful."
                                                 : "Write maybe good but Finalization process has failed.");
            if (code == HWE_WRITE_FINALIZE_FAILED)
                if (const std::string why = WriterReason(); !why.empty()) view_.Log(why);
            writing_ = false;
            view_.SetWriteBar(100);
            view_.Log("Ejecting the disc >>>");
            engine_.Hwe_OpenTray(engine_.EngineHandle);
            view_.FinishRun(true);
            return;
        }
        writing_ = false;
        // The writer's own reason (a read-only target, a full disk, a writer that cannot write) goes with the text.
        const std::string why = WriterReason();
        if (!why.empty()) view_.Log(why);
        MessageDlg("DVD disc wrong, burning process is terminated!" + (why.empty() ? std::string() : "\n" + why),
                   mtError, MsgButtons({mbOK}));
        view_.FinishRun(false);
        return;
    }
    case MSG_WRITER_CLOSING:
        if (!closingLogged_) {
            view_.Log("Closing session >>>");
            closingLogged_ = true;
        }
        return;
    case MSG_WRITER_PROGRESS:
        view_.SetWriteBar(static_cast<int>(std::min<WPARAM>(wparam, HWE_PROGRESS_FULL) * 100 / HWE_PROGRESS_FULL));
        return;
    default: return;
    }
}

std::string BurnStage::WriterReason()
{
    if (!HasEngine() || !engine_.Hwe_GetLastErrorText) return {};
    std::string text(kNameBufferSize, '\0');
    const int length = engine_.Hwe_GetLastErrorText(engine_.EngineHandle, text.data(), kNameBufferSize);
    if (length >= kNameBufferSize) {   // a longer reason: asked again with room for it all
        text.assign(static_cast<std::size_t>(length) + 1, '\0');
        engine_.Hwe_GetLastErrorText(engine_.EngineHandle, text.data(), length + 1);
    }
    text.resize(text.find('\0'));
    return text;
}

void BurnStage::LogMedium(int type, int status)
{
    view_.Log(MediaTypeText(type));
    switch (status) {
    case HWE_MEDIA_NO_WRITER:
        view_.Log("No writers selected.");
        view_.Log("Please select a writer to continue");
        break;
    case HWE_MEDIA_BLANK: view_.Log("Empty (re)writable media inserted"); break;
    case HWE_MEDIA_HAS_DATA: view_.Log("(re)writable media already containing data inserted"); break;
    case HWE_MEDIA_NONE: view_.Log("No media inserted"); break;
    case HWE_MEDIA_NOT_WRITABLE: view_.Log("Media inserted is not writable"); break;
    case HWE_MEDIA_NOT_DVD: view_.Log("Media inserted is not a DVD"); break;
    default: break;
    }
}

void BurnStage::AbortWrite()
{
    waiting_ = false;   // a close during the wait ends it for good
    if (HasEngine() && writing_) engine_.Hwe_AbortWrite(engine_.EngineHandle);
    writing_ = false;
}

void BurnStage::CloseTray()
{
    if (HasEngine()) engine_.Hwe_CloseTray(engine_.EngineHandle);
}

void BurnStage::Release()
{
    waiting_ = false;
    writing_ = false;
    if (engine_.EngineHandle != 0 && engine_.Hwe_Free) engine_.Hwe_Free(engine_.EngineHandle);
    engine_.EngineHandle = 0;
    engine_.EngineReady = false;
    UnloadWritingEngine(engine_);
}

// --- the CD image --------------------------------------------------------------------------------
void BurnStage::StartImageStage(int discType, const std::string& volumeName, const std::string& workFolder,
                                const std::vector<std::string>& mpgs)
{
    const std::string xml = ProgramFolder() + "RES/Author.xml";
    for (const std::string& mpg : mpgs) {
        if (!FileExists(mpg)) {
            MessageDlg("Can not find \n" + mpg + ". \nProcess is terminated!", mtError, MsgButtons({mbOK}));
            view_.FinishRun(false);
            return;
        }
    }
    const std::string base = VcdImageBaseName(volumeName, discType);
    cuePath_ = IncludeTrailingPathDelimiter(workFolder) + base + ".cue";
    binPath_ = IncludeTrailingPathDelimiter(workFolder) + base + ".bin";
    // An old image never outlives the start of a new one: a failed build leaves nothing to burn.
    DeleteFile(cuePath_);
    DeleteFile(binPath_);
    if (!FitsVcdJob(xml) || !FitsVcdJob(cuePath_) || !FitsVcdJob(binPath_)) {
        view_.Log("The path of the disc image is too long: " + binPath_);
        view_.FinishRun(false);
        return;
    }
    if (!WriteTextFile(xml, VcdControlFileText(discType, base, mpgs))) {
        view_.Log("Can not write " + xml + ".");
        view_.FinishRun(false);
        return;
    }
    if (!vcdModule_.Load("PellaVCDDLL.dll")) {
        view_.Log("Can't get the PellaVCDDLL.dll to work,you need to reinstall the Keldara DVD Maker!");
        view_.FinishRun(false);
        return;
    }
    getSwp_ = vcdModule_.Symbol<TGetSWP>("GetSWP");
    if (!getSwp_) {
        vcdModule_.Free();
        view_.Log("Can't get the PellaVCDDLL.dll to work,Please reinstall the Keldara DVD Maker!");
        view_.FinishRun(false);
        return;
    }
    view_.Log("Generating Disc Image File...");
    imageThread_ = std::make_unique<ThreadVCDImager>(false, vcdModule_.Handle(), view_.WindowHandle(), xml, cuePath_,
                                                     binPath_, run_);
}

void BurnStage::EndImageBuild(bool cancel)
{
    if (!imageThread_) return;
    if (cancel)
        if (auto stop = vcdModule_.Symbol<TPellaCancel>("PellaCancel")) stop();
    imageThread_->WaitFor();
    imageThread_.reset();
    getSwp_ = nullptr;
    vcdModule_.Free();
}

void BurnStage::ImageDone(WPARAM result, LPARAM run)
{
    if (run != run_ || !imageThread_) return;   // a build of an ended run
    std::string why;
    if (auto lastError = vcdModule_.Symbol<TPellaLastError>("PellaLastError")) why = lastError();
    EndImageBuild(false);
    view_.ConvertingOver();
    if (static_cast<int>(result) != VCD_OK || !FileExists(cuePath_) || !FileExists(binPath_)) {
        view_.Log("Can not build the disc image" + (why.empty() ? std::string() : ": " + why) + ".");
        view_.FinishRun(false);
        return;
    }
    view_.SetConvertingBar(100);
    view_.ImageReady(cuePath_, binPath_);
}

// --- the run ---------------------------------------------------------------------------------------
bool BurnStage::TimerTick()
{
    if (waiting_ && ++waitTicks_ >= values_.waitTicks) {
        EndWait();
        return false;
    }
    if (imageThread_ && getSwp_) {
        int scan = 0, write = 0;
        getSwp_(&scan, &write);
        const int sum = scan + write;
        view_.SetConvertingBar(sum > 100 ? sum - 100 : sum);
        view_.CountTick();
        return true;
    }
    return false;
}

void BurnStage::RunBegun() { ended_ = false; }

void BurnStage::RunEnded()
{
    ended_ = true;
    ++run_;
    waiting_ = false;
    writing_ = false;
    EndImageBuild(true);
}
