// WNASPI32.DLL: an ASPI manager over the system's SCSI pass-through.
//
// Host adapters and targets are numbered as the program's own pass-through
// layer numbers them, so a drive has the same address through either layer.
// Execute requests run asynchronously: SendASPI32Command answers SS_PENDING
// and a worker thread of the drive completes the request, sets its status and
// signals its event. Each drive runs one command at a time, in order.
#include "rtl/syncobjs.h"
#include "win32/aspi.h"
#include "win32/scsi.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#define ASPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr char kManagerId[17] = "KELDARA WNASPI32";   // 16 characters
constexpr std::uint32_t kMaxTransferLength = 0x00010000;
constexpr std::uint32_t kInquiryTimeoutMs = 10000;

void Signal(TSRB_ExecSCSICmd& srb)
{
    if ((srb.SRB_Flags & SRB_EVENT_NOTIFY) && srb.PostProc())
        srb.PostProc()->SetEvent();
}

// One drive and the thread that runs its commands.
class Drive {
public:
    Drive(int number, ScsiAddress address) : number_(number), address_(address)
    {
        worker_ = std::thread([this] { Run(); });
    }
    ~Drive()
    {
        std::deque<TSRB_ExecSCSICmd*> left;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
            left.swap(queue_);
        }
        wake_.notify_all();
        for (TSRB_ExecSCSICmd* srb : left)
            Finish(*srb, SS_ABORTED);
        worker_.join();   // a command running now completes first
    }
    Drive(const Drive&) = delete;
    Drive& operator=(const Drive&) = delete;

    int Number() const { return number_; }
    ScsiAddress Address() const { return address_; }
    void SetAddress(ScsiAddress address) { address_ = address; }

    void Queue(TSRB_ExecSCSICmd& srb)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            srb.SRB_Status = SS_PENDING;
            queue_.push_back(&srb);
        }
        wake_.notify_all();
    }

    // Takes a request back. Answers false when it is not this drive's.
    // Returns only once the request is out of this drive's hands.
    bool Abort(TSRB_Header* target)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto it = std::find_if(queue_.begin(), queue_.end(), [&](TSRB_ExecSCSICmd* s) { return s == target; });
        if (it != queue_.end()) {
            TSRB_ExecSCSICmd* srb = *it;
            queue_.erase(it);
            lock.unlock();
            Finish(*srb, SS_ABORTED);
            return true;
        }
        if (running_ != target)
            return false;
        // A command on its way to the drive cannot be called back: wait for its end.
        done_.wait(lock, [&] { return running_ != target; });
        return true;
    }

    // Runs a command on the calling thread (device-type inquiry).
    ScsiResult ExecuteNow(const ScsiCommand& command)
    {
        std::shared_ptr<ScsiDriveHandle> handle = Handle(nullptr);
        if (!handle) {
            ScsiResult result;
            result.error = ENODEV;
            return result;
        }
        return handle->Execute(command);
    }

    bool Reset()
    {
        std::shared_ptr<ScsiDriveHandle> handle = Handle(nullptr);
        return handle && handle->Reset();
    }

private:
    // The drive stays open from first use to the end of the manager.
    std::shared_ptr<ScsiDriveHandle> Handle(int* openError)
    {
        std::lock_guard<std::mutex> lock(handleMutex_);
        if (!handle_) {
            ScsiOpenError error;
            handle_ = OpenScsiDrive(number_, ScsiOpenMode::Shared, &error);
            if (openError)
                *openError = error.code;
        }
        return handle_;
    }

    static void Finish(TSRB_ExecSCSICmd& srb, std::uint8_t status)
    {
        srb.SRB_Status = status;
        Signal(srb);   // the sender may free the request from here on
    }

    void Run()
    {
        for (;;) {
            TSRB_ExecSCSICmd* srb = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                srb = queue_.front();
                queue_.pop_front();
                running_ = srb;
            }
            int openError = 0;
            std::shared_ptr<ScsiDriveHandle> handle = Handle(&openError);
            ExecuteScsiSrb(handle.get(), *srb, openError);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                running_ = nullptr;
                Signal(*srb);
            }
            done_.notify_all();
        }
    }

    const int number_;
    ScsiAddress address_;
    std::mutex handleMutex_;
    std::shared_ptr<ScsiDriveHandle> handle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<TSRB_ExecSCSICmd*> queue_;
    TSRB_Header* running_ = nullptr;
    bool stop_ = false;
    std::thread worker_;
};

class Manager {
public:
    // The drives as the system lists them now. Drives still there keep their
    // worker (and the commands queued on it); a drive gone finishes its
    // running command and aborts the queued ones when its last user lets go.
    void Refresh()
    {
        const std::vector<ScsiDriveInfo> system = EnumerateScsiDrives();
        // Numbered as the program's pass-through layer numbers them: drives
        // without an address share the adapter after the largest one.
        int largest = 0;
        for (const ScsiDriveInfo& info : system)
            if (info.address)
                largest = std::max<int>(largest, info.address->hostAdapter);
        const auto extraAdapter = static_cast<std::uint8_t>(largest + 1);
        std::uint8_t nextTarget = 0;

        std::map<int, std::shared_ptr<Drive>> gone;
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& drive : drives_)
            gone[drive->Number()] = std::move(drive);
        drives_.clear();
        int count = 0;
        for (const ScsiDriveInfo& info : system) {
            const ScsiAddress address = info.address ? *info.address : ScsiAddress{extraAdapter, nextTarget++, 0};
            count = std::max(count, address.hostAdapter + 1);
            auto it = gone.find(info.number);
            if (it != gone.end()) {
                it->second->SetAddress(address);
                drives_.push_back(std::move(it->second));
                gone.erase(it);
            } else {
                drives_.push_back(std::make_shared<Drive>(info.number, address));
            }
        }
        adapters_ = static_cast<std::uint8_t>(count);
    }

    std::uint8_t Adapters()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return adapters_;
    }

    std::shared_ptr<Drive> Find(std::uint8_t ha, std::uint8_t target, std::uint8_t lun)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& drive : drives_)
            if (drive->Address() == ScsiAddress{ha, target, lun})
                return drive;
        return nullptr;
    }

    bool Abort(TSRB_Header* target)
    {
        std::vector<std::shared_ptr<Drive>> drives;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            drives = drives_;
        }
        for (const auto& drive : drives)
            if (drive->Abort(target))
                return true;
        return false;
    }

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<Drive>> drives_;
    std::uint8_t adapters_ = 0;
};

Manager& TheManager()
{
    static Manager manager;
    static std::once_flag listed;
    std::call_once(listed, [] { manager.Refresh(); });
    return manager;
}

std::uint32_t HostAdapterInquiry(TSRB_HAInquiry& srb)
{
    const std::uint8_t count = TheManager().Adapters();
    srb.HA_Count = count;
    if (srb.SRB_HaId >= count) {
        srb.SRB_Status = SS_INVALID_HA;
        return SS_INVALID_HA;
    }
    srb.HA_SCSI_ID = 7;
    std::memcpy(srb.HA_ManagerId, kManagerId, sizeof srb.HA_ManagerId);
    std::memset(srb.HA_Identifier, 0, sizeof srb.HA_Identifier);
    const std::string name = "SG_IO " + std::to_string(srb.SRB_HaId);
    std::memcpy(srb.HA_Identifier, name.data(), std::min(name.size(), sizeof srb.HA_Identifier));
    srb.HA_Unique.Set(0, 0, 8, kMaxTransferLength);
    srb.SRB_Status = SS_COMP;
    return SS_COMP;
}

std::uint32_t DeviceType(TSRB_GDEVBlock& srb)
{
    srb.SRB_DeviceType = 31;
    srb.SRB_Status = SS_NO_DEVICE;
    std::shared_ptr<Drive> drive = TheManager().Find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!drive)
        return SS_NO_DEVICE;
    std::uint8_t reply[36] = {};
    const std::uint8_t cdb[6] = {0x12, 0, 0, 0, sizeof reply, 0};
    ScsiCommand command;
    command.cdb = cdb;
    command.direction = ScsiDirection::In;
    command.buffer = reply;
    command.length = sizeof reply;
    command.timeoutMs = kInquiryTimeoutMs;
    const ScsiResult result = drive->ExecuteNow(command);
    // A reply without its first byte tells no device type.
    if (result.error != 0 || result.hostStatus != DID_OK || result.status != SAM_STAT_GOOD ||
        result.residual >= static_cast<std::int32_t>(sizeof reply))
        return SS_NO_DEVICE;
    srb.SRB_DeviceType = reply[0] & 0x1F;
    srb.SRB_Status = SS_COMP;
    return SS_COMP;
}

std::uint32_t Execute(TSRB_ExecSCSICmd& srb)
{
    std::shared_ptr<Drive> drive = TheManager().Find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!drive) {
        srb.SRB_Status = SS_NO_DEVICE;
        Signal(srb);
        return SS_NO_DEVICE;
    }
    drive->Queue(srb);
    return SS_PENDING;
}

std::uint32_t Abort(TSRB_Abort& srb)
{
    srb.SRB_Status = srb.SRB_ToAbort && TheManager().Abort(srb.SRB_ToAbort) ? SS_COMP : SS_ABORT_FAIL;
    return srb.SRB_Status;
}

std::uint32_t Reset(TSRB_BusDeviceReset& srb)
{
    srb.SRB_HaStat = HASTAT_OK;
    srb.SRB_TargStat = TARGSTAT_GOOD;
    std::shared_ptr<Drive> drive = TheManager().Find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!drive)
        srb.SRB_Status = SS_NO_DEVICE;
    else
        srb.SRB_Status = drive->Reset() ? SS_COMP : SS_ERR;
    return srb.SRB_Status;
}

std::uint32_t DiskInfo(TSRB_GetDiskInfo& srb)
{
    std::shared_ptr<Drive> drive = TheManager().Find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!drive) {
        srb.SRB_Status = SS_NO_DEVICE;
        return SS_NO_DEVICE;
    }
    srb.SRB_DriveFlags = 0;
    srb.SRB_DriveNumber = static_cast<std::uint8_t>(drive->Number());
    srb.SRB_Status = SS_COMP;
    return SS_COMP;
}

} // namespace

// Status in bits 8-15, host-adapter count in bits 0-7. Looks at the drives again.
ASPI_EXPORT std::uint32_t GetASPI32SupportInfo()
{
    Manager& manager = TheManager();
    manager.Refresh();
    const std::uint8_t count = manager.Adapters();
    if (count == 0)
        return std::uint32_t{SS_NO_ADAPTERS} << 8;
    return (std::uint32_t{SS_COMP} << 8) | count;
}

ASPI_EXPORT std::uint32_t SendASPI32Command(TSRB_Header* srb)
{
    if (!srb)
        return SS_ERR;
    switch (srb->SRB_Cmd) {
    case SC_HA_INQUIRY: return HostAdapterInquiry(*static_cast<TSRB_HAInquiry*>(srb));
    case SC_GET_DEV_TYPE: return DeviceType(*static_cast<TSRB_GDEVBlock*>(srb));
    case SC_EXEC_SCSI_CMD: return Execute(*static_cast<TSRB_ExecSCSICmd*>(srb));
    case SC_ABORT_SRB: return Abort(*static_cast<TSRB_Abort*>(srb));
    case SC_RESET_DEV: return Reset(*static_cast<TSRB_BusDeviceReset*>(srb));
    case SC_GET_DISK_INFO: return DiskInfo(*static_cast<TSRB_GetDiskInfo*>(srb));
    default: srb->SRB_Status = SS_INVALID_CMD; return SS_INVALID_CMD;
    }
}
