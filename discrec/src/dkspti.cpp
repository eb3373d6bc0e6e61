#include "discrec/dkspti.h"

#include "rtl/syncobjs.h"
#include "win32/scsi.h"

#include <algorithm>
#include <cstring>
#include <mutex>

std::atomic<bool> SPTIAvailable{false};
std::atomic<bool> CloseFH{true};

namespace {

constexpr char kManagerId[17] = "KELDARA DKASPI32";   // 16 characters
constexpr std::uint32_t kProbeTimeoutMs = 120000;

std::mutex g_mutex;             // guards everything below
TScsiDrives ScsiDrives;
std::uint8_t tgn = 0;           // drives found without an address so far
std::uint8_t inqData[1025];     // reply of the probing INQUIRY

void ProbeDrive(const ScsiDriveInfo& drive)
{
    TScsiDriveEntry entry;
    entry.DriveNumber = drive.number;
    entry.DevicePath = drive.path;
    std::shared_ptr<ScsiDriveHandle> handle = OpenScsiDrive(drive.number);
    if (!handle) {
        ScsiDrives.Drives.push_back(std::move(entry));
        return;
    }
    std::memset(inqData, 0, sizeof inqData);
    const std::uint8_t cdb[6] = {0x12, 0, 0, 0, 96, 0};
    ScsiCommand command;
    command.cdb = cdb;
    command.direction = ScsiDirection::In;
    command.buffer = inqData;
    command.length = 96;
    command.timeoutMs = kProbeTimeoutMs;
    const ScsiResult result = handle->Execute(command);
    const std::uint32_t returned = 96 - static_cast<std::uint32_t>(std::clamp<std::int32_t>(result.residual, 0, 96));
    // A reply without its peripheral type says nothing of the drive.
    if (result.error == 0 && result.status == SAM_STAT_GOOD && result.hostStatus == DID_OK && returned > 0) {
        entry.InquiryLength = static_cast<std::uint8_t>(std::min<std::uint32_t>(returned, sizeof entry.InquiryData));
        std::memcpy(entry.InquiryData, inqData, entry.InquiryLength);
        entry.Present = true;
        if (drive.address) {
            entry.HostAdapter = drive.address->hostAdapter;
            entry.Target = drive.address->target;
            entry.Lun = drive.address->lun;
        } else {
            entry.HostAdapter = 0;
            entry.Target = tgn++;
            entry.Lun = kNoAddressLun;
        }
    }
    ScsiDrives.Drives.push_back(std::move(entry));
}

std::uint8_t CountHostAdapters()
{
    int largest = 0;
    for (const TScsiDriveEntry& entry : ScsiDrives.Drives)
        largest = std::max<int>(largest, entry.HostAdapter);
    return static_cast<std::uint8_t>(largest + 1);
}

TScsiDriveEntry* FindDriveEntry(std::uint8_t ha, std::uint8_t target, std::uint8_t lun)
{
    for (TScsiDriveEntry& entry : ScsiDrives.Drives)
        if (entry.Present && entry.HostAdapter == ha && entry.Target == target && entry.Lun == lun)
            return &entry;
    return nullptr;
}

std::uint32_t SPTIHostAdapterInquiry(TSRB_HAInquiry& srb)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    const std::uint8_t count = ScsiDrives.HostAdapterCount;
    srb.HA_Count = count;
    if (srb.SRB_HaId >= count) {
        srb.SRB_Status = SS_INVALID_HA;
        return SS_INVALID_HA;
    }
    srb.HA_SCSI_ID = 7;
    std::memcpy(srb.HA_ManagerId, kManagerId, sizeof srb.HA_ManagerId);
    std::memset(srb.HA_Identifier, 0, sizeof srb.HA_Identifier);
    std::memcpy(srb.HA_Identifier, "SPTI ", 5);
    srb.HA_Identifier[5] = static_cast<char>('0' + srb.SRB_HaId);
    srb.HA_Unique.Set(7, 0, 8, 0x00FF0000);
    srb.SRB_Status = SS_COMP;
    return SS_COMP;
}

std::uint32_t SPTIGetDeviceType(TSRB_GDEVBlock& srb)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    if (FindDriveEntry(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun)) {
        srb.SRB_Status = SS_COMP;
        srb.SRB_DeviceType = 5;
    } else {
        srb.SRB_Status = SS_NO_DEVICE;
        srb.SRB_DeviceType = 31;
    }
    return srb.SRB_Status;
}

void Complete(TSRB_ExecSCSICmd& srb)
{
    if ((srb.SRB_Flags & SRB_EVENT_NOTIFY) && srb.PostProc())
        srb.PostProc()->SetEvent();
}

std::uint32_t SPTISendCommand(TSRB_ExecSCSICmd& srb)
{
    std::shared_ptr<ScsiDriveHandle> handle;
    int openError = 0;
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        TScsiDriveEntry* entry = FindDriveEntry(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
        if (!entry) {
            srb.SRB_Status = SS_NO_DEVICE;
            Complete(srb);
            return SS_NO_DEVICE;
        }
        if (srb.SRB_CDBLen > 0 && srb.CDBByte[0] == 0x12) {
            // INQUIRY never reaches the drive: the reply kept from the probe answers it.
            if (srb.SRB_HaId < ScsiDrives.HostAdapterCount) {
                void* buffer = srb.BufPointer();
                const std::size_t count =
                    buffer ? std::min<std::size_t>({36, srb.SRB_BufLen, entry->InquiryLength}) : 0;
                if (count)
                    std::memcpy(buffer, entry->InquiryData, count);
                srb.SRB_Residual = buffer ? srb.SRB_BufLen - static_cast<std::uint32_t>(count) : 0;
                srb.SRB_HaStat = HASTAT_OK;
                srb.SRB_TargStat = TARGSTAT_GOOD;
                srb.SRB_Status = SS_COMP;
            } else {
                srb.SRB_Status = SS_INVALID_HA;
            }
            Complete(srb);
            return srb.SRB_Status;
        }
        if (!entry->DeviceHandle) {
            ScsiOpenError error;
            entry->DeviceHandle = OpenScsiDrive(entry->DriveNumber, ScsiOpenMode::Shared, &error);
            openError = error.code;
        }
        handle = entry->DeviceHandle;
        if (CloseFH)
            entry->DeviceHandle.reset();
    }
    ExecuteScsiSrb(handle.get(), srb, openError);
    Complete(srb);
    return srb.SRB_Status;
}

} // namespace

std::uint8_t SPTIInit()
{
    if (SPTIAvailable)
        return 0;
    // Enumerating may load the recorder plug-in, which registers a drive: not under the guard.
    const std::vector<ScsiDriveInfo> drives = EnumerateScsiDrives();
    std::lock_guard<std::mutex> guard(g_mutex);
    if (SPTIAvailable)
        return 0;
    tgn = 0;
    ScsiDrives = TScsiDrives{};
    for (const ScsiDriveInfo& drive : drives)
        ProbeDrive(drive);
    ScsiDrives.HostAdapterCount = CountHostAdapters();
    if (tgn != 0) {
        for (TScsiDriveEntry& entry : ScsiDrives.Drives) {
            if (entry.Present && entry.Lun == kNoAddressLun) {
                entry.Lun = 0;
                entry.HostAdapter = ScsiDrives.HostAdapterCount;
            }
        }
        ScsiDrives.HostAdapterCount = CountHostAdapters();
    }
    SPTIAvailable = true;
    return static_cast<std::uint8_t>(
        std::count_if(ScsiDrives.Drives.begin(), ScsiDrives.Drives.end(), [](const auto& e) { return e.Present; }));
}

bool SPTIDeInit()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    if (!SPTIAvailable)
        return false;
    ScsiDrives = TScsiDrives{};   // closes every handle no command still holds
    SPTIAvailable = false;
    return true;
}

std::uint32_t __GetASPI32SupportInfo()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    const std::uint8_t count = ScsiDrives.HostAdapterCount;
    if (count != 0)
        return (std::uint32_t{SS_COMP} << 8) | count;
    return std::uint32_t{SS_NO_ADAPTERS} << 8;
}

std::uint32_t __SendASPI32Command(TSRB_Header* srb)
{
    if (!srb)
        return SS_ERR;
    switch (srb->SRB_Cmd) {
    case SC_HA_INQUIRY: return SPTIHostAdapterInquiry(*static_cast<TSRB_HAInquiry*>(srb));
    case SC_GET_DEV_TYPE: return SPTIGetDeviceType(*static_cast<TSRB_GDEVBlock*>(srb));
    case SC_EXEC_SCSI_CMD: return SPTISendCommand(*static_cast<TSRB_ExecSCSICmd*>(srb));
    case SC_GET_DISK_INFO: srb->SRB_Status = SS_PENDING; return SS_ERR;   // drive numbers are not told this way
    default: srb->SRB_Status = SS_ERR; return SS_ERR;
    }
}

char GetDriveLetterDKASPI(std::uint8_t Ha, std::uint8_t Target, std::uint8_t Lun)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    if (const TScsiDriveEntry* entry = FindDriveEntry(Ha, Target, Lun))
        return static_cast<char>('A' + entry->DriveNumber);
    return static_cast<char>(127);
}

std::string GetDevicePathDKASPI(std::uint8_t Ha, std::uint8_t Target, std::uint8_t Lun)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    const TScsiDriveEntry* entry = FindDriveEntry(Ha, Target, Lun);
    return entry ? entry->DevicePath : std::string();
}

TScsiDrives SPTIDriveTable()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return ScsiDrives;
}
