// TSCSIDevice: the layer, the drive list, selection, the command runner and its debug lines.
#include "discrec/dkdrvlib.h"

#include "discrec/dkaspi.h"
#include "discrec/dkconst.h"
#include "discrec/dkspti.h"
#include "dkerase.h"
#include "rtl/clock.h"
#include "win32/scsi.h"

#include <algorithm>
#include <cstring>

const std::array<std::string_view, 15> DiscTypeString = {
    "UNKNOWN", "CD-ROM", "CD-R",   "CD-RW",    "DVD-ROM", "DVD-R",  "DVD-RAM", "DVD-RW",
    "DVD-RW",  "DVD-RW", "DVD+RW", "DVD+R",    "DDCD-ROM", "DDCD-R", "DDCD-RW",
};

std::atomic<bool> GenerateLogs{false};

namespace {

constexpr const char* kPassThroughLayer = "DKASPI32";
constexpr std::uint32_t kTimeoutFloorMs = 10000;
constexpr std::uint32_t kWaitSliceMs = 50;

struct CommandNames {
    std::array<std::string, 256> names;
    CommandNames()
    {
        for (int op = 0; op < 255; ++op)
            names[op] = IntToHex(op, 2);
        const struct {
            std::uint8_t op;
            const char* name;
        } known[] = {
            {0x00, "TEST UNIT READY       "}, {0x01, "REWIND UNIT           "}, {0x03, "REQUEST SENSE         "},
            {0x04, "FORMAT UNIT           "}, {0x12, "INQUIRY               "}, {0x1B, "START STOP UNIT       "},
            {0x1E, "PREVENT/ALLOW REMOVAL "}, {0x23, "READ FORMAT CAPACITIES"}, {0x25, "READ CAPACITY         "},
            {0x28, "READ (10)             "}, {0x2A, "WRITE (10)            "}, {0x2B, "SEEK (10)             "},
            {0x2E, "WRITE AND VERIFY (10) "}, {0x2F, "VERIFY (10)           "}, {0x35, "SYNCHRONIZE CACHE     "},
            {0x42, "READ SUB-CHANNEL      "}, {0x43, "READ TOC/PMA/ATIP     "}, {0x45, "PLAY AUDIO (10)       "},
            {0x46, "GET CONFIGURATION     "}, {0x47, "PLAY AUDIO MSF        "}, {0x4A, "GET EVENT/STATUS NOTIF"},
            {0x4B, "PAUSE/RESUME          "}, {0x4E, "STOP PLAY/SCAN        "}, {0x51, "READ DISC INFORMATION "},
            {0x52, "READ TRACK INFORMATION"}, {0x53, "RESERVE TRACK         "}, {0x54, "SEND OPC INFORMATION  "},
            {0x55, "MODE SELECT (10)      "}, {0x58, "REPAIR TRACK          "}, {0x5A, "MODE SENSE (10)       "},
            {0x5B, "CLOSE TRACK/SESSION   "}, {0x5C, "READ BUFFER CAPACITY  "}, {0x5D, "SEND CUE SHEET        "},
            {0xA1, "BLANK                 "}, {0xA2, "SEND EVENT            "}, {0xA3, "SEND KEY              "},
            {0xA4, "REPORT KEY            "}, {0xA5, "PLAY AUDIO (12)       "}, {0xA6, "LOAD/UNLOAD CD/DVD    "},
            {0xA7, "SET READ AHEAD        "}, {0xA8, "READ (12)             "}, {0xAA, "WRITE (12)            "},
            {0xAC, "GET PERFORMANCE       "}, {0xAD, "READ DVD STRUCTURE    "}, {0xB6, "SET STREAMING         "},
            {0xB9, "READ CD MSF           "}, {0xBA, "SCAN                  "}, {0xBB, "SET CD SPEED          "},
            {0xBD, "MECHANISM STATUS      "}, {0xBE, "READ CD               "}, {0xBF, "SEND DVD STRUCTURE    "},
        };
        for (const auto& k : known)
            names[k.op] = k.name;
    }
};

const CommandNames& Names()
{
    static const CommandNames names;
    return names;
}

// Opcodes whose failure as a device's first command is routine (probing, waiting).
bool QuietFirstCommand(std::uint8_t opcode)
{
    switch (opcode) {
    case 0x00: case 0x01: case 0x03: case 0x04: case 0x12: case 0x1B: case 0x1E: case 0x23: case 0x35:
    case 0x43: case 0x46: case 0x51: case 0x52: case 0x55: case 0x5A: case 0x5C: case 0xB6: case 0xBB:
        return true;
    default:
        return false;
    }
}

// "12" in "12:0:3,..." up to a stop character (or the end when allowed); false for no
// digits or a value above 255.
bool ParseField(const std::string& text, std::size_t& at, std::uint8_t& value, const char* stops, bool endAllowed)
{
    unsigned v = 0;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        v = v * 10 + static_cast<unsigned>(text[at] - '0');
        if (v > 255)
            return false;
        ++at;
        ++digits;
    }
    if (digits == 0 || (at < text.size() && !std::strchr(stops, text[at])) || (at == text.size() && !endAllowed))
        return false;
    value = static_cast<std::uint8_t>(v);
    return true;
}

// The address of a device string: decimal host adapter, target and LUN, "H:T:L," (or "H:T:L ").
bool ParseAddress(const std::string& id, ScsiAddress& address)
{
    std::size_t at = 0;
    if (!ParseField(id, at, address.hostAdapter, ":", false))
        return false;
    ++at;
    if (!ParseField(id, at, address.target, ":", false))
        return false;
    ++at;
    return ParseField(id, at, address.lun, ", ", true);
}

std::string Printable(const std::uint8_t* bytes, std::size_t count)
{
    std::string text(reinterpret_cast<const char*>(bytes), count);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return text;
}

bool WaitForCompletion(TEvent& done, std::uint32_t timeoutMs)
{
    const std::uint64_t deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::uint64_t now = GetTickCount64();
        const std::uint64_t left = deadline > now ? deadline - now : 0;
        if (done.WaitFor(static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kWaitSliceMs))) == wrSignaled)
            return true;
        if (GetTickCount64() >= deadline)
            return false;
    }
}

} // namespace

std::string_view CommandName(std::uint8_t opcode) { return Names().names[opcode]; }

std::string CommandFailedText(std::uint8_t opcode, const std::string& reason)
{
    return Trim(CommandName(opcode)) + " FAILED [" + reason + "]";
}

bool IsNotReadyYet(const std::uint8_t* sense)
{
    const std::uint8_t response = sense[0] & 0x7F;
    return (response == 0x70 || response == 0x71) && (sense[2] & 0x0F) == 0x02 && sense[12] == 0x04;
}

TSCSIDevice::TSCSIDevice(TComponent* AOwner) : TComponent(AOwner), devices_(std::make_unique<TStringList>())
{
    if (ASPIInitialized()) {
        GetHostAdapterInfo(0);
        ScanDevices();
    }
}

TSCSIDevice::~TSCSIDevice()
{
    // An erase still running uses this object: it is told to stop and waited for.
    std::unique_ptr<TEraseThread> thread;
    {
        std::lock_guard<std::mutex> guard(eraseMutex_);
        thread = std::move(eraseThread_);
    }
    thread.reset();
}

void TSCSIDevice::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
}

std::uint16_t TSCSIDevice::L2MW(std::uint16_t W) { return static_cast<std::uint16_t>((W >> 8) | (W << 8)); }

std::uint32_t TSCSIDevice::L2MDW(std::uint32_t DW)
{
    return (DW >> 24) | ((DW >> 8) & 0xFF00) | ((DW << 8) & 0xFF0000) | (DW << 24);
}

// ---- the layer ----

bool TSCSIDevice::InitializeASPI(bool UseSPTI, const std::string& DllPath)
{
    if (!_InitializeASPI(UseSPTI, DllPath))
        return false;
    GetHostAdapterInfo(0);
    ScanDevices();
    return true;
}

bool TSCSIDevice::DeInitializeASPI() { return _DeInitializeASPI(); }

bool TSCSIDevice::ASPIInitialized() const { return ASPIDLLLoaded; }

void TSCSIDevice::GetHostAdapterInfo(std::uint8_t Ha)
{
    haInquiry_ = TSRB_HAInquiry{};
    haInquiry_.SRB_Cmd = SC_HA_INQUIRY;
    haInquiry_.SRB_HaId = Ha;
    SendASPI32Command(&haInquiry_);
    hostAdapterCount_ = haInquiry_.SRB_Status == SS_COMP ? haInquiry_.HA_Count : -1;
    if (hostAdapterCount_ == 0)
        hostAdapterCount_ = 7;
}

// ---- drives ----

char TSCSIDevice::DriveLetterOf(ScsiAddress address)
{
    if (ASPILayerName() == kPassThroughLayer) {
        const char letter = GetDriveLetterDKASPI(address.hostAdapter, address.target, address.lun);
        return letter == static_cast<char>(127) ? '\0' : letter;
    }
    for (const ScsiDriveInfo& drive : EnumerateScsiDrives())
        if (drive.address && *drive.address == address)
            return static_cast<char>('A' + drive.number);
    const std::uint8_t number = GetDiskLetter(address.hostAdapter, address.target, address.lun);
    return number == 255 ? '\0' : static_cast<char>('A' + number);
}

std::string TSCSIDevice::DevicePathOf(ScsiAddress address)
{
    if (ASPILayerName() == kPassThroughLayer)
        return GetDevicePathDKASPI(address.hostAdapter, address.target, address.lun);
    for (const ScsiDriveInfo& drive : EnumerateScsiDrives())
        if (drive.address && *drive.address == address)
            return drive.path;
    const std::uint8_t number = GetDiskLetter(address.hostAdapter, address.target, address.lun);
    if (number == 255)
        return {};
    const std::optional<ScsiDriveInfo> drive = FindScsiDrive(number);
    return drive ? drive->path : std::string();
}

char TSCSIDevice::GetDriveLetter() { return DeviceSelected() ? DriveLetterOf(address_) : '\0'; }

std::string TSCSIDevice::GetDevicePath() { return DeviceSelected() ? DevicePathOf(address_) : std::string(); }

std::uint8_t TSCSIDevice::GetDiskLetter(std::uint8_t Ha, std::uint8_t Target, std::uint8_t Lun)
{
    TSRB_GetDiskInfo srb;
    srb.SRB_Cmd = SC_GET_DISK_INFO;
    srb.SRB_HaId = Ha;
    srb.SRB_Target = Target;
    srb.SRB_Lun = Lun;
    SendASPI32Command(&srb);
    return srb.SRB_Status == SS_COMP ? srb.SRB_DriveNumber : 255;
}

std::string TSCSIDevice::ProbeDeviceString()
{
    inquiryData_.fill(0);
    if (!Inquiry() || (inquiryData_[0] != 5 && inquiryData_[0] != 4))
        return {};
    const std::string path = DevicePathOf(address_);
    std::string id = IntToStr(address_.hostAdapter) + ":" + IntToStr(address_.target) + ":" + IntToStr(address_.lun) +
                     "," + (path.empty() ? std::string("?") : path) + ": " + Printable(&inquiryData_[8], 28);
    if (inquiryData_[0] == 4)
        id += " (not supported)";
    return id;
}

void TSCSIDevice::ScanDevices()
{
    devices_->Clear();
    deviceLetters_.clear();
    const ScsiAddress selected = address_;
    if (DoDebug)
        DebugMsg(">>> " + ASPILayerName(), 1);
    const int adapters = hostAdapterCount_;
    for (int ha = 0; ha < adapters; ++ha) {
        GetHostAdapterInfo(static_cast<std::uint8_t>(ha));
        if (DoDebug)
            DebugMsg(">>> " + std::string(haInquiry_.HA_ManagerId, sizeof haInquiry_.HA_ManagerId) + " (" +
                         Trim(std::string(haInquiry_.HA_Identifier, strnlen(haInquiry_.HA_Identifier, 16))) + ")",
                     1);
        for (std::uint8_t target = 0; target < 8; ++target) {
            for (std::uint8_t lun = 0; lun < 8; ++lun) {
                address_ = ScsiAddress{static_cast<std::uint8_t>(ha), target, lun};
                const std::string id = ProbeDeviceString();
                if (id.empty())
                    continue;
                devices_->Add(id);
                deviceLetters_.push_back(DriveLetterOf(address_));
            }
        }
    }
    hostAdapterCount_ = adapters;
    address_ = selected;
}

void TSCSIDevice::ClearSelection()
{
    address_ = ScsiAddress{254, 254, 254};
    deviceId_.clear();
    description_.clear();
    peripheralType_ = 127;
    std::lock_guard<std::mutex> guard(stateMutex_);
    error_.DevicePath.clear();
}

void TSCSIDevice::DeviceChanged()
{
    inquiryData_.fill(0);
    peripheralType_ = Inquiry() ? inquiryData_[0] : 127;
    description_ = Printable(&inquiryData_[8], 8) + " " + Printable(&inquiryData_[16], 16) + " " +
                   Printable(&inquiryData_[32], 4);
    std::lock_guard<std::mutex> guard(stateMutex_);
    error_.DevicePath = DevicePathOf(address_);
}

void TSCSIDevice::SetDeviceID(const std::string& ID)
{
    ScsiAddress address;
    if (ID.size() < 5 || !ParseAddress(ID, address)) {
        if (!ID.empty())
            DebugMsg(std::string(ERR_INVALIDDEVICE), 0);
        ClearSelection();
        return;
    }
    address_ = address;
    deviceId_ = ID;
    DeviceChanged();
    if (peripheralType_ != 5 && peripheralType_ != 4) {
        DebugMsg(std::string(ERR_INVALIDDEVICE), 0);
        ClearSelection();
        return;
    }
    const std::string rawProduct(reinterpret_cast<const char*>(&inquiryData_[16]), 16);
    const std::string product = Trim(rawProduct);
    std::string vendor = Trim(std::string(reinterpret_cast<const char*>(&inquiryData_[8]), 8));
    if (vendor.size() < 3)
        vendor = "     ";
    flagA_ = product == "CD-W512EB";
    flagB_ = product == "CRX175E" || product == "CD-RW  CRX800E";
    lateReady_ = product.starts_with("UJDA") || vendor.starts_with("TDK");
    flagD_ = rawProduct == "DVD-RW  DVR-103 " || rawProduct == "DVD-RW  DVR-104 ";
    // A drive without a capabilities page is still selected: it reports no capabilities and speeds.
    (void)GetDeviceCapabilities();
    if (OnDeviceChange)
        OnDeviceChange(this);
    GetWriteMethods();
    // The check for a failing first command looks at the first one after the selection's own probing.
    firstCommand_ = true;
}

bool TSCSIDevice::SelectDevice(const std::string& ID)
{
    SetDeviceID(ID);
    return true;
}

bool TSCSIDevice::SetDeviceByDriveLetter(char Letter)
{
    for (std::size_t i = 0; i < deviceLetters_.size(); ++i) {
        if (deviceLetters_[i] == Letter && static_cast<int>(i) < devices_->Count()) {
            SetDeviceID(devices_->Get(static_cast<int>(i)));
            return DeviceSelected();
        }
    }
    const int number = static_cast<unsigned char>(Letter) - 'A';
    for (int ha = 0; ha < std::max(hostAdapterCount_, 0); ++ha) {
        for (std::uint8_t target = 0; target < 8; ++target) {
            for (std::uint8_t lun = 0; lun < 8; ++lun) {
                if (GetDiskLetter(static_cast<std::uint8_t>(ha), target, lun) != number)
                    continue;
                address_ = ScsiAddress{static_cast<std::uint8_t>(ha), target, lun};
                SetDeviceID(ProbeDeviceString());
                return DeviceSelected();
            }
        }
    }
    return false;
}

std::string TSCSIDevice::DeviceID() const { return deviceId_; }

std::string TSCSIDevice::DeviceDescription() const { return description_; }

// ---- commands ----

std::string TSCSIDevice::LastError() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return error_.LastError;
}

void TSCSIDevice::SetLastError(std::string_view text)
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    error_.LastError = text;
}

TScsiErrorRecord TSCSIDevice::ErrorRecord() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return error_;
}

bool TSCSIDevice::SenseNotReadyYet() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return error_.SenseValid && IsNotReadyYet(error_.Sense.data());
}

void TSCSIDevice::DebugMsg(const std::string& Message, std::uint8_t mType)
{
    if (OnDebugMessage)
        OnDebugMessage(this, Message, mType);
}

int TSCSIDevice::ExecScsiCommand(TSRB_ExecSCSICmd& SRB, int Timeout)
{
    TScsiErrorRecord record;
    {
        std::lock_guard<std::mutex> guard(stateMutex_);
        error_.ClearForCommand();
        record = error_;
    }
    if (!ASPIInitialized() || address_.hostAdapter == 254) {
        SRB.SRB_Status = SS_NO_LAYER;
        return SS_NO_LAYER;
    }
    // Every request is waited for through its event: a layer may finish it on another thread.
    TEvent done;
    SRB.SRB_Flags |= SRB_EVENT_NOTIFY;
    SRB.SetPostProc(&done);
    SRB.SRB_Cmd = SC_EXEC_SCSI_CMD;
    SRB.SRB_HaId = address_.hostAdapter;
    SRB.SRB_Target = address_.target;
    SRB.SRB_Lun = address_.lun;
    SRB.CDBByte[1] = static_cast<std::uint8_t>((SRB.CDBByte[1] & 0x1F) | (address_.lun & 0x07) << 5);
    SRB.SRB_SenseLen = 24;
    const std::uint32_t timeout = Timeout < static_cast<int>(kTimeoutFloorMs) + 1 ? kTimeoutFloorMs
                                                                                 : static_cast<std::uint32_t>(Timeout);
    SRB.SRB_Timeout = timeout;
    const std::uint32_t sent = SendASPI32Command(&SRB);
    if (sent == SS_NO_LAYER) {
        SRB.SRB_Status = SS_NO_LAYER;
    } else if (sent == SS_PENDING && !WaitForCompletion(done, timeout)) {
        // The layer still holds the request: take it back before it goes out of scope.
        TSRB_Abort abort;
        abort.SRB_Cmd = SC_ABORT_SRB;
        abort.SRB_HaId = address_.hostAdapter;
        abort.SRB_ToAbort = &SRB;
        SendASPI32Command(&abort);
        SRB.SRB_Status = SS_ERR;
        SRB.SRB_HaStat = HASTAT_TIMEOUT;
    }
    SRB.SetPostProc(nullptr);
    if (SRB.SRB_Status != SS_PENDING && SRB.SRB_Status != SS_COMP && SRB.SRB_Status != SS_NO_LAYER)
        DecodeSense(record, SRB);
    {
        std::lock_guard<std::mutex> guard(stateMutex_);
        error_.LastError = record.LastError;
        error_.Sense = record.Sense;
        error_.SenseValid = record.SenseValid;
        error_.TargetBusy = record.TargetBusy;
    }
    const bool first = firstCommand_.exchange(false);
    if (GenerateLogs) {
        LogCommand(SRB, record);
    } else if (first && SRB.SRB_Status != SS_COMP && !QuietFirstCommand(SRB.CDBByte[0]) &&
               !(record.Sense[12] == 0x04 && record.Sense[13] == 0x08)) {
        LogCommand(SRB, record);
    }
    if (SRB.BufPointer() && reinterpret_cast<std::uintptr_t>(SRB.BufPointer()) % 4 != 0)
        DebugMsg("aaaa" + std::to_string(reinterpret_cast<std::uintptr_t>(SRB.BufPointer())), 0);
    return SRB.SRB_Status == SS_NO_LAYER ? SS_NO_LAYER : 1;
}

void TSCSIDevice::LogCommand(const TSRB_ExecSCSICmd& srb, const TScsiErrorRecord& record)
{
    std::string line = IntToStr(srb.SRB_HaId) + ":" + IntToHex(srb.SRB_Target, 1) + ":" + IntToStr(srb.SRB_Lun) +
                       " <" + IntToHex(srb.SRB_Status, 2) + ">" + " [" + IntToHex(srb.SRB_BufLen, 5) + "]" + "(" +
                       IntToHex(srb.CDBByte[0], 2) + ") {" + IntToHex(srb.SRB_Flags, 2) + "|" +
                       IntToHex(srb.SRB_CDBLen, 2) + "} - ";
    for (int i = 1; i < 16; ++i)
        line.append(" ").append(IntToHex(srb.CDBByte[i], 2));
    line += " " + std::string(CommandName(srb.CDBByte[0])) + "|";
    if (srb.BufPointer()) {
        const auto* data = static_cast<const std::uint8_t*>(srb.BufPointer());
        const std::uint32_t count = std::min<std::uint32_t>(srb.SRB_BufLen, 256);
        for (std::uint32_t i = 0; i < count; ++i)
            line.append(" ").append(IntToHex(data[i], 2));
    }
    const std::uint64_t ms = GetTickCount64();
    line += " " + Format("%.2d:%.2d:%.3d ", static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                         static_cast<int>(ms % 1000));
    line += IntToHex(srb.SRB_HaStat, 2) + " " + IntToHex(srb.SRB_TargStat, 2) + " " + IntToHex(record.Sense[0], 2) +
            " " + IntToHex(record.Sense[2], 2) + " ASC:" + IntToHex(record.Sense[12], 2) +
            ",ASQ:" + IntToHex(record.Sense[13], 2) + " " + record.LastError;
    DebugMsg(line, 0);
}

bool TSCSIDevice::AbortSCSICommand(TSRB_Header* SRB)
{
    TSRB_Abort abort;
    abort.SRB_Cmd = SC_ABORT_SRB;
    abort.SRB_HaId = address_.hostAdapter;
    abort.SRB_ToAbort = SRB;
    return SendASPI32Command(&abort) == SS_COMP;
}

bool TSCSIDevice::ScsiReset()
{
    TSRB_BusDeviceReset srb;
    srb.SRB_Cmd = SC_RESET_DEV;
    srb.SRB_HaId = address_.hostAdapter;
    srb.SRB_Target = address_.target;
    srb.SRB_Lun = address_.lun;
    return SendASPI32Command(&srb) == SS_COMP;
}
