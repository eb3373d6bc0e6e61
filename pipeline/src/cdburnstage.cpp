#include "pipeline/cdburnstage.h"

#include "pipeline/discburnstage.h"   // the CD speed labels

#include "discrec/dkcueburner.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "vcl/dialogs.h"

const char* const kCdInsertDiscText =
    "No matched disc in burner, insert blank CD disc and click \n\"Yes\".\nClick \"Cancel\" to cancel progress!";
const char* const kCdImageTooLargeText =
    "The size of disc image file larger than blank disc's, this means it \nwill damage blank disc.\nDo you want to "
    "continue?\nClick \"Yes\" to continue, and click \"No\" to stop it!";
const char* const kCdNoDevicesText =
    "New Burner Devices Can't be used by your CD/DVD Writer. Please see help file content !";
// Here the layer is the kernel's SCSI pass-through: what it needs is write
// access to the drive, which the help explains.
const char* const kCdNoLayerText = "VCD SVCD burner can't used for your Writer Device,you need to install the ASPI "
                                   "layer.\nPlease read the help's section \"Drive access\".";

namespace {

constexpr std::uint16_t kOneX = 176;   // kB/s of a 1x CD write
constexpr const char* kMaxLabel = "Max.";
constexpr const char* kNoSupportLabel = "No Support!";

void ErrorBox(const std::string& text) { MessageDlg(text, mtError, MsgButtons({mbOK})); }

// The library's cue burner behind the stage's calls.
class CueBurnerAdapter final : public CdBurner {
public:
    CueBurnerAdapter() : burner_(nullptr)
    {
        burner_.SetCacheSize(4194304);
        burner_.UnderrunProtection = true;
        burner_.FinalizeDisc = false;
        burner_.TestWrite = false;
        burner_.WriteMethod = wmDAO;
        burner_.PerformOPC = false;
        burner_.SetReadSpeed(0);
        burner_.OnWriteDone = [this](TObject*, const std::string& error) {
            if (OnWriteDone) OnWriteDone(error);
        };
    }
    ~CueBurnerAdapter() override
    {
        if (burner_.Burning()) {
            burner_.Abort();
            burner_.WaitForBurn();
        }
    }
    bool InitializeASPI(bool useSpti) override { return burner_.InitializeASPI(useSpti, ""); }
    bool ASPIInitialized() override { return burner_.ASPIInitialized(); }
    std::vector<std::string> Devices() override
    {
        std::vector<std::string> names;
        for (int i = 0; i < burner_.Devices().Count(); ++i) names.push_back(burner_.Devices()[i]);
        return names;
    }
    void SetDeviceID(const std::string& device) override { burner_.SetDeviceID(device); }
    std::uint16_t MaxWriteSpeed() override { return burner_.MaxWriteSpeed(); }
    void SetWriteSpeed(std::uint16_t speed) override { burner_.SetWriteSpeed(speed); }
    bool Writable() override { return burner_.Writable(); }
    bool TestUnitReady(int timeoutMs) override { return burner_.TestUnitReady(timeoutMs); }
    bool LoadMedium(bool eject) override { return burner_.LoadMedium(eject); }
    bool LockMedium(bool unlock) override { return burner_.LockMedium(unlock); }
    std::uint8_t DiscType() override { return burner_.DiscType(); }
    void ReadBufferCapacity() override
    {
        std::uint32_t total = 0, free = 0;
        (void)burner_.ReadBufferCapacity(total, free);   // asked as the burn prepares; the figures are not used
    }
    std::uint32_t FreeBlocksOnDisc() override { return burner_.FreeBlocksOnDisc(); }
    bool LoadCueFile(const std::string& path) override { return burner_.LoadCueFile(path); }
    void SetCDTitle(const std::string& title) override { burner_.CDTitle = title; }
    bool BurnCD() override { return burner_.BurnCD(); }
    std::string LastError() override { return burner_.LastError(); }
    std::int64_t BytesToWrite() override { return burner_.BytesToWrite; }
    std::int64_t BytesWritten() override { return burner_.BytesWritten; }
    void Abort() override { burner_.Abort(); }
    void WaitForBurn() override { burner_.WaitForBurn(); }
    bool Burning() override { return burner_.Burning(); }

private:
    TCueBurner burner_;
};

} // namespace

std::unique_ptr<CdBurner> MakeCueBurner() { return std::make_unique<CueBurnerAdapter>(); }

std::vector<std::string> CdSpeedList(std::uint16_t maxKbPerSecond, bool writable)
{
    if (maxKbPerSecond <= kOneX || !writable) return {kNoSupportLabel};
    std::vector<std::string> labels;
    for (const CdSpeedLabel& speed : kCdSpeedLabels) {
        if (speed.multiplier > maxKbPerSecond / kOneX) break;
        labels.push_back(speed.label);
    }
    labels.push_back(kMaxLabel);
    return labels;
}

std::uint16_t CdSpeedOfLabel(const std::string& label)
{
    for (const CdSpeedLabel& speed : kCdSpeedLabels)
        if (label == speed.label) return static_cast<std::uint16_t>(speed.multiplier * kOneX);
    return 0;
}

CdBurnStage::CdBurnStage(CdBurnView& view, std::unique_ptr<CdBurner> burner)
    : view_(view), burner_(std::move(burner)), doneMutex_(std::make_shared<std::mutex>()),
      doneError_(std::make_shared<std::string>())
{
}

CdBurnStage::~CdBurnStage()
{
    // No write outlives the stage; its late message finds no run.
    if (burner_->Burning()) {
        burner_->Abort();
        burner_->WaitForBurn();
    }
    burner_->OnWriteDone = nullptr;
}

bool CdBurnStage::Writing() const { return writing_; }

bool CdBurnStage::InitBurner(bool tellWhy)
{
    burner_->InitializeASPI(false);
    if (!burner_->ASPIInitialized()) burner_->InitializeASPI(true);
    if (!burner_->ASPIInitialized()) {
        if (tellWhy) ErrorBox(kCdNoLayerText);
        return false;
    }
    const std::vector<std::string> devices = burner_->Devices();
    if (devices.empty()) {
        if (tellWhy) ErrorBox(kCdNoDevicesText);
        return false;
    }
    view_.ClearDrives();
    for (const std::string& device : devices) view_.AddDrive(device);
    view_.SelectDrive(0);
    OnDriveChange(0);
    return true;
}

void CdBurnStage::OnDriveChange(int index)
{
    const std::vector<std::string> devices = burner_->Devices();
    if (index < 0 || index >= static_cast<int>(devices.size())) return;
    driveIndex_ = index;
    burner_->SetDeviceID(devices[static_cast<std::size_t>(index)]);
    const std::uint16_t max = burner_->MaxWriteSpeed();
    speeds_ = CdSpeedList(max, max > kOneX && burner_->Writable());
    view_.ClearSpeeds();
    for (const std::string& label : speeds_) view_.AddSpeed(label);
    view_.SelectSpeed(static_cast<int>(speeds_.size()) - 1);
    const bool supported = speeds_.back() == kMaxLabel;
    view_.EnableSpeeds(supported);
    if (supported && SetSpeedOnDriveChange) burner_->SetWriteSpeed(max);
}

bool CdBurnStage::CheckDiscBeforeRun()
{
    if (burner_->TestUnitReady(5000)) return true;
    // Yes goes on without a disc: the burn asks for one again.
    return MessageDlg("No matched disc in burner.\nClick \"Yes\" to continue convert.\nClick \"Cancel\" to cancel "
                      "progress!",
                      mtConfirmation, MsgButtons({mbYes, mbCancel})) == mrYes;
}

bool CdBurnStage::DriveReady()
{
    if (driveIndex_ < 0) {
        if (!burner_->ASPIInitialized() && !burner_->InitializeASPI(false) && !burner_->InitializeASPI(true))
            return false;
        const std::vector<std::string> devices = burner_->Devices();
        if (devices.empty()) return false;
        burner_->SetDeviceID(devices.front());
    }
    return burner_->TestUnitReady(5000);
}

bool CdBurnStage::AskForDisc()
{
    burner_->LoadMedium(true);
    const int answer = MessageDlg(kCdInsertDiscText, mtConfirmation, MsgButtons({mbYes, mbCancel}));
    view_.Repaint();
    burner_->LoadMedium(false);
    return answer == mrYes;
}

std::uint16_t CdBurnStage::ChosenSpeed()
{
    const int chosen = view_.SelectedSpeed();
    const std::uint16_t listed =
        chosen >= 0 && chosen < static_cast<int>(speeds_.size()) ? CdSpeedOfLabel(speeds_[static_cast<std::size_t>(chosen)])
                                                                  : 0;
    if (listed != 0) return listed;
    // "Max." and "No Support!" both write as fast as the drive can.
    const std::uint16_t max = burner_->MaxWriteSpeed();
    return max != 0 ? max : 0xFFFF;
}

void CdBurnStage::Fail(const std::string& box)
{
    view_.FinishRun(false);
    ErrorBox(box);
}

void CdBurnStage::Burn(const std::string& cuePath, const std::string& binPath)
{
    cuePath_ = cuePath;
    binPath_ = binPath;
    view_.CdBurnStarting();
    view_.Log("Starting to burn...");
    if (!burner_->TestUnitReady(5000) && !AskForDisc()) return view_.FinishRun(false);
    view_.Log("Getting disc type...");
    while (!burner_->Writable())
        if (!AskForDisc()) return view_.FinishRun(false);
    // A drive without a writable disc at set-up listed no speeds: now it can.
    if (speeds_.empty() || speeds_.back() != kMaxLabel) {
        const bool keep = SetSpeedOnDriveChange;
        SetSpeedOnDriveChange = false;
        OnDriveChange(driveIndex_);
        SetSpeedOnDriveChange = keep;
    }
    switch (burner_->DiscType()) {
    case 2: view_.Log("CD-R disc.."); break;
    case 3: view_.Log("CD-RW disc.."); break;
    default:
        view_.Log("No matched disk infomation to burn.");
        view_.Log("Burning progress is terminated.");
        return view_.FinishRun(false);
    }
    burner_->ReadBufferCapacity();
    if (!FileExists(cuePath)) return Fail("Can't find \n" + cuePath);
    if (!FileExists(binPath)) return Fail("Can't find \n" + binPath);
    if (!burner_->LoadCueFile(cuePath)) return Fail("Can't load \n" + cuePath);
    view_.Log("Check disc free space...");
    const std::int64_t binBytes = FileSize64(binPath);
    if (!CDImageFits(static_cast<std::uint64_t>(binBytes < 0 ? 0 : binBytes), burner_->FreeBlocksOnDisc()) &&
        MessageDlg(kCdImageTooLargeText, mtConfirmation, MsgButtons({mbYes, mbNo})) != mrYes)
        return view_.FinishRun(false);
    burner_->SetWriteSpeed(ChosenSpeed());
    burner_->SetCDTitle(Trim(view_.VolumeName()));
    burner_->LoadMedium(false);
    view_.Log("Burning disc image,Please waiting...");

    const int run = ++run_;
    const HWND window = view_.WindowHandle();
    std::shared_ptr<std::mutex> mutex = doneMutex_;
    std::shared_ptr<std::string> error = doneError_;
    burner_->OnWriteDone = [run, window, mutex, error](const std::string& text) {
        {
            std::lock_guard<std::mutex> guard(*mutex);
            *error = text;
        }
        PostMessage(window, MSG_CDWRITE_DONE, static_cast<WPARAM>(run), 0);
    };
    aborted_ = false;
    writing_ = true;
    if (!burner_->BurnCD()) {
        writing_ = false;
        ++run_;   // a message the failed start posted belongs to no run
        // The disc turned out not writable, or the burn could not start for a reason of its own.
        const std::string why = burner_->LastError();
        Fail(why.empty() ? "Error,Disc is not writable." : why);
        burner_->LoadMedium(true);
        return;
    }
    maximum_ = static_cast<int>(burner_->BytesToWrite() / 1024);
    view_.SetCdProgress(0, maximum_);
    cdBurning_ = true;
}

bool CdBurnStage::TimerTick()
{
    if (!cdBurning_) return writing_;
    const int position = static_cast<int>(burner_->BytesWritten() / 1024);
    view_.SetCdProgress(position, maximum_);
    if (position >= maximum_) cdBurning_ = false;
    return true;
}

void CdBurnStage::WriteDone(WPARAM run)
{
    if (!writing_ || static_cast<int>(run) != run_) return;
    writing_ = false;
    cdBurning_ = false;
    std::string error;
    {
        std::lock_guard<std::mutex> guard(*doneMutex_);
        error = *doneError_;
    }
    view_.SetCdProgress(maximum_, maximum_);
    burner_->LockMedium(true);
    burner_->LoadMedium(true);
    if (error.empty()) {
        view_.Log("Burn Done !");
        if (FileExists(cuePath_)) DeleteFile(cuePath_);
        if (FileExists(binPath_)) DeleteFile(binPath_);
        return view_.FinishRun(true);
    }
    // The image stays for another try.
    view_.Log(error);
    if (aborted_) return view_.FinishRun(false);
    ErrorBox(error);
    view_.FinishRun(false);
}

void CdBurnStage::AbortBurn()
{
    if (!writing_) return;
    aborted_ = true;
    burner_->Abort();
    burner_->WaitForBurn();
    WriteDone(static_cast<WPARAM>(run_));
}

void CdBurnStage::CloseTray() { burner_->LoadMedium(false); }
