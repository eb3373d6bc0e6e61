// TSCSIDevice: blanking and formatting rewritable discs, and the thread that waits for the drive.
#include "dkerase.h"

#include "discrec/dkaspi.h"
#include "discrec/dkconst.h"
#include "rtl/clock.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// FORMAT UNIT parameter lists: header (immediate) and one format descriptor.
constexpr std::uint8_t kDvdPlusRwFormat[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40,
                                               0x98, 0x00, 0x00, 0x00};   // 2295104 blocks, type 0x26
constexpr std::uint8_t kDvdRamFormat[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20,
                                            0x00, 0x00, 0x08, 0x00};   // 2236704 blocks of 2048 bytes

constexpr std::uint32_t kBlankTimeoutMs = 4800000;
constexpr std::uint8_t kTestUnitReady = 0x00, kStartStop = 0x1B, kPreventAllow = 0x1E, kSynchronizeCache = 0x35,
                       kCloseTrack = 0x5B;
constexpr std::uint16_t kZeroRun = 32;   // sectors per zero write

bool IsDvdRw(std::uint16_t kind) { return kind == dkDVDRW || kind == dkDVDRWRestricted || kind == dkDVDRWSequential; }

} // namespace

TEraseThread::TEraseThread(TSCSIDevice& device, std::uint16_t kind, std::uint8_t eraseType, std::uint16_t seconds)
    : TThread(true), device_(device), kind_(kind), eraseType_(eraseType), expectedSeconds_(seconds)
{
}

TEraseThread::~TEraseThread()
{
    Terminate();
    if (!Finished())
        WaitFor();
}

void TEraseThread::UpdateProgress()
{
    const std::uint64_t elapsed = GetTickCount64() - started_;
    const double percent = std::round(static_cast<double>(elapsed) / 1000.0 / expectedSeconds_ * 100.0);
    // The drive may take longer than expected: 100 only once it is done.
    progress_ = static_cast<int>(std::clamp(percent, 0.0, 99.0));
}

bool TEraseThread::Pause(std::uint32_t ms)
{
    if (Terminated())
        return false;
    Sleep(ms);
    UpdateProgress();
    return !Terminated();
}

bool TEraseThread::WithinExpected() const
{
    return GetTickCount64() - started_ < std::uint64_t{expectedSeconds_} * 1000;
}

bool TEraseThread::WriteZeros(std::uint32_t writes)
{
    std::vector<std::uint8_t> zeros(std::size_t{kZeroRun} * 2048, 0);
    for (std::uint32_t i = 0; i < writes && !Terminated(); ++i) {
        if (!device_.Write10(static_cast<std::int32_t>(i * kZeroRun), kZeroRun, zeros.data(),
                             static_cast<std::uint32_t>(zeros.size()), SRB_DIR_OUT | SRB_EVENT_NOTIFY))
            return Failed(std::string(ERR_WRITEERROR) + " [" + device_.LastError() + "]");
        UpdateProgress();
    }
    return true;
}

bool TEraseThread::Step(bool done, std::uint8_t opcode)
{
    return done || Failed(CommandFailedText(opcode, device_.LastError()));
}

bool TEraseThread::Failed(const std::string& text)
{
    if (errorText_.empty())
        errorText_ = text;
    error_ = true;
    return false;
}

void TEraseThread::Execute()
{
    started_ = GetTickCount64();
    bool ready = true;
    if (IsDvdRw(kind_)) {
        while (!device_.TestUnitReady(5000) && device_.SenseNotReadyYet() && WithinExpected())
            if (!Pause(2000))
                break;
        Pause(5000);
        while (!device_.TestUnitReady(5000) && device_.SenseNotReadyYet() && WithinExpected())
            if (!Pause(2000))
                break;
    } else if (kind_ == dkDVDPLUSRW) {
        alignas(8) std::uint8_t info[34];
        while (!device_.ReadDiscInformationRaw(info, sizeof info) && device_.SenseNotReadyYet() && WithinExpected())
            if (!Pause(2000))
                break;
        // The zeros, their flush and the closing of the format each must succeed: else the disc is half erased.
        if (WriteZeros(eraseType_ == 1 ? 65 : 71001)) {
            Pause(300);
            if (Step(device_.FlushCache(30000, false), kSynchronizeCache))
                Step(device_.CloseTrackDVD(false, 3), kCloseTrack);
        }
    } else if (kind_ == dkDVDRAM && eraseType_ == 1) {
        if (WriteZeros(65))
            Step(device_.FlushCache(30000, false), kSynchronizeCache);
    }
    if (device_.FlagD() || device_.LateReady()) {
        while (!device_.TestUnitReady(5000) && device_.SenseNotReadyYet() && WithinExpected())
            if (!Pause(2000))
                break;
        (void)device_.ReadDiscInformation();   // wakes a late drive; the polls below decide
        Pause(5000);
    }
    // Until the drive answers again, within the time the erase should take.
    for (;;) {
        alignas(8) std::uint8_t info[34];
        const bool answers = device_.TestUnitReady(5000) &&
                             (kind_ == dkDVDRAM || device_.ReadDiscInformationRaw(info, sizeof info));
        if (answers || !device_.SenseNotReadyYet())
            break;
        if (!WithinExpected() || !Pause(kind_ == dkDVDRAM ? 2000 : 5000)) {
            break;
        }
    }
    // Then until no "not ready yet" is left; a drive still busy after twice the expected time failed.
    for (;;) {
        alignas(8) std::uint8_t sense[18] = {};
        if (!device_.RequestSense(sense, sizeof sense) || !IsNotReadyYet(sense))
            break;
        if (GetTickCount64() - started_ >= std::uint64_t{expectedSeconds_} * 2000 || !Pause(2000)) {
            ready = false;
            break;
        }
    }
    if (!ready)
        Failed(CommandFailedText(kTestUnitReady, std::string(ERR_TIMEOUT)));
    if (Terminated())
        Failed(std::string(ERR_ABORTED));
    if (ASPILayerName() == "DKASPI32")
        _ReInitializeASPI();
    progress_ = 100;
    // Page, speeds and position are put back for the next user, who sets their own anyway.
    (void)device_.SetWriteParams(false, false, static_cast<std::uint8_t>(kind_));
    (void)device_.SetCDSpeed(device_.MaxReadSpeed(), 2);
    (void)device_.Rewind();
    // A tray left locked, or a disc that does not answer after all, is an erase that did not end well.
    Step(device_.LockMedium(true), kPreventAllow);
    Step(device_.LoadMedium(false), kStartStop);
    (void)device_.Rewind();
    Step(device_.TestUnitReady(5000), kTestUnitReady);
    if (error_) {
        device_.SetLastError(errorText_);
        device_.DebugMsg(">>> " + errorText_, 0);
    }
    device_.erasing_ = false;
    const bool withError = error_;
    Synchronize([this, withError] {
        if (device_.OnEraseDone)
            device_.OnEraseDone(&device_, withError);
        delivered_ = true;   // from here on the erase is over for the main thread too
    });
}

int TSCSIDevice::EraseProgress() const
{
    std::lock_guard<std::mutex> guard(eraseMutex_);
    return eraseThread_ && !eraseThread_->Delivered() ? eraseThread_->Progress() : 0;
}

bool TSCSIDevice::EraseDisc(std::uint8_t EraseType)
{
    if (erasing_)
        return false;
    {
        // A thread from an earlier erase has ended (it cleared the flag last thing); let it go.
        std::lock_guard<std::mutex> guard(eraseMutex_);
        eraseThread_.reset();
    }
    const bool ready = TestUnitReady(5000);
    (void)LoadMedium(false);   // a tray that does not load shows in the wait for the drive below
    const std::uint16_t kind = DiscType();
    if (!ready && !WaitForReady(30000, 5000))
        return false;
    auto fail = [&] {
        erasing_ = false;
        if (OnEraseDone)
            OnEraseDone(this, true);
        return false;
    };
    // Write-once discs cannot be blanked: nothing is sent to them.
    if (!Erasable()) {
        SetLastError(ERR_NOTSUPPORTED);
        return fail();
    }
    // A refused speed or page leaves the drive's own; BLANK and FORMAT UNIT below
    // tell whether the erase starts, whatever the wait for the drive gave.
    (void)SetCDSpeed(ReadSpeed(), WriteSpeed());
    (void)SetWriteParams(false, true, static_cast<std::uint8_t>(kind));
    (void)WaitForReady(30000, 5000);
    const std::uint16_t speed = CurrentWriteSpeed();
    const double factor = IsCDKind(static_cast<std::uint8_t>(kind)) ? 176.4 : 1385.0;
    DebugMsg(">>> " + Format(std::string(MSG_ERASESTART), std::string(DiscTypeString.at(std::min<int>(kind, 14))),
                             FormatFloat("0.0", speed / factor) + "X " + "(" + FormatFloat("#,##0", speed) + " KB/s)"),
             1);

    bool started = false;
    if (kind == dkDVDPLUSRW) {
        started = FormatUnit(0x11, kDvdPlusRwFormat, sizeof kDvdPlusRwFormat);
        if (!started) {
            (void)Rewind();   // positioning only, before the second try
            Sleep(1000);
            started = FormatUnit(0x11, kDvdPlusRwFormat, sizeof kDvdPlusRwFormat);
        }
    } else if (kind == dkDVDRAM) {
        if (EraseType == 1) {
            std::vector<std::uint8_t> zeros(std::size_t{kZeroRun} * 2048, 0);
            started = true;
            for (int i = 0; i < 11 && started; ++i)
                started = Write10(i * kZeroRun, kZeroRun, zeros.data(), static_cast<std::uint32_t>(zeros.size()),
                                  SRB_DIR_OUT | SRB_EVENT_NOTIFY);
            started = started && FlushCache(30000, false);
        } else {
            started = FormatUnit(0x11, kDvdRamFormat, sizeof kDvdRamFormat);
        }
    } else {
        TSRB_ExecSCSICmd srb;
        const std::vector<std::uint8_t> cdb = {0xA1, static_cast<std::uint8_t>((EraseType & 0x07) | 0x10), 0, 0, 0, 0,
                                               0,    0,                                                  0, 0, 0, 0};
        // Judged from the request: an immediate BLANK may come back pending and still run.
        (void)Run(cdb, 0, nullptr, 0, static_cast<int>(kBlankTimeoutMs), &srb);
        started = srb.SRB_Status == SS_COMP || srb.SRB_Status == SS_PENDING;
    }
    if (!started)
        return fail();

    std::uint16_t seconds = 0;
    if (IsCDKind(static_cast<std::uint8_t>(kind)))
        seconds = EraseType == 1 ? 150 : 4500;
    else if (EraseType == 0)
        seconds = 4440;
    else if (EraseType == 1)
        seconds = kind == dkDVDRW ? 180 : 600;
    else
        seconds = 8880;
    erasing_ = true;
    std::lock_guard<std::mutex> guard(eraseMutex_);
    eraseThread_ = std::make_unique<TEraseThread>(*this, kind, EraseType, seconds);
    eraseThread_->Start();
    return true;
}
