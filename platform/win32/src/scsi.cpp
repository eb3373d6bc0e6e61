#include "win32/scsi.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/dynlib.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kFirstVirtualNumber = 32;
constexpr int kLastVirtualNumber = 61;   // 'A' + 62 is the ASPI layers' "no drive" character

struct VirtualEntry {
    int number = -1;
    std::string name;
    std::shared_ptr<ScsiTarget> target;
    std::atomic<bool> claimed{false};   // an exclusive handle is open
};

std::mutex g_mutex;
ScsiSource g_source;
std::vector<std::shared_ptr<VirtualEntry>> g_virtual;   // in number order

ScsiSource CurrentSource()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_source;
}

int SysOpen(const ScsiSource& source, const std::string& path, int flags)
{
    if (source.open)
        return source.open(path, flags);
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    return fd < 0 ? -errno : fd;
}

int SysIoctl(const ScsiSource& source, int fd, unsigned long request, void* argument)
{
    if (source.ioctl)
        return source.ioctl(fd, request, argument);
    return ::ioctl(fd, request, argument) < 0 ? -errno : 0;
}

void SysClose(const ScsiSource& source, int fd)
{
    if (source.close)
        source.close(fd);
    else
        ::close(fd);
}

std::string DevicePath(int number) { return "/dev/sr" + IntToStr(number); }

// "sr12" -> 12; -1 for anything else (partitions, other disks).
int DriveNumberOf(const std::string& name)
{
    if (name.size() < 3 || name.compare(0, 2, "sr") != 0 || name.size() > 6)
        return -1;
    int number = 0;
    for (std::size_t i = 2; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// The system's own numbers, before host adapters are renumbered.
struct SystemAddress {
    unsigned host = 0, channel = 0, target = 0, lun = 0;
};

// "2:0:1:0" (host:channel:target:lun), the name the device link points at.
std::optional<SystemAddress> ParseHctl(const std::string& text)
{
    SystemAddress a;
    unsigned* fields[] = {&a.host, &a.channel, &a.target, &a.lun};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t end = text.find(':', at);
        if ((i < 3) != (end != std::string::npos))
            return std::nullopt;
        std::string part = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (part.empty() || part.size() > 9 || !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        *fields[i] = static_cast<unsigned>(std::stoul(part));
        at = end + 1;
    }
    return a;
}

std::optional<SystemAddress> AskDriveForAddress(const ScsiSource& source, const std::string& path)
{
    int fd = SysOpen(source, path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct {
        int devId;
        int hostUniqueId;
    } idlun{};
    std::optional<SystemAddress> result;
    if (SysIoctl(source, fd, SCSI_IOCTL_GET_IDLUN, &idlun) == 0) {
        const auto id = static_cast<unsigned>(idlun.devId);
        result = SystemAddress{id >> 24, (id >> 16) & 0xFF, id & 0xFF, (id >> 8) & 0xFF};
    }
    SysClose(source, fd);
    return result;
}

struct SystemDrive {
    int number;
    std::optional<SystemAddress> address;
};

std::vector<SystemDrive> ListSystemDrives(const ScsiSource& source)
{
    namespace fs = std::filesystem;
    const fs::path root = source.sysClassBlockRoot.empty() ? fs::path("/sys/class/block")
                                                           : fs::path(source.sysClassBlockRoot);
    std::vector<SystemDrive> drives;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const int number = DriveNumberOf(it->path().filename().string());
        if (number < 0)
            continue;
        SystemDrive drive{number, std::nullopt};
        std::error_code linkError;
        const fs::path link = fs::read_symlink(it->path() / "device", linkError);
        if (!linkError)
            drive.address = ParseHctl(link.filename().string());
        if (!drive.address)
            drive.address = AskDriveForAddress(source, DevicePath(number));
        drives.push_back(drive);
    }
    std::sort(drives.begin(), drives.end(), [](const SystemDrive& a, const SystemDrive& b) { return a.number < b.number; });
    return drives;
}

// The recorder plug-in is looked for once per process, before the table is
// first read; it stays loaded for good (its drive lives in the table until exit).
void LoadRecorderPlugin()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* spec = std::getenv("KELDARA_VIRTUAL_RECORDER");
        if (!spec || !*spec)
            return;
        HMODULE module = LoadLibrary("KeldaraRecorder.dll");
        if (!module) {
            std::fprintf(stderr, "keldara: no virtual recorder: %s\n", LastLibraryError().c_str());
            return;
        }
        using Register = int (*)(const char* spec);
        auto registerRecorder = reinterpret_cast<Register>(GetProcAddress(module, "KeldaraRegisterRecorder"));
        if (!registerRecorder)
            std::fprintf(stderr, "keldara: no virtual recorder: %s\n", LastLibraryError().c_str());
        else if (registerRecorder(spec) < 0)
            std::fprintf(stderr, "keldara: no virtual recorder for KELDARA_VIRTUAL_RECORDER=\"%s\"\n", spec);
    });
}

class SgDrive final : public ScsiDriveHandle {
public:
    SgDrive(int number, std::string path, int fd, ScsiSource source)
        : ScsiDriveHandle(number, std::move(path)), fd_(fd), source_(std::move(source))
    {
    }
    ~SgDrive() override { SysClose(source_, fd_); }

    ScsiResult Execute(const ScsiCommand& command) override
    {
        ScsiResult result;
        if (command.cdb.empty() || command.cdb.size() > 16 || (command.length && !command.buffer)) {
            result.error = EINVAL;
            return result;
        }
        sg_io_hdr_t io{};
        io.interface_id = 'S';
        switch (command.direction) {
        case ScsiDirection::In: io.dxfer_direction = SG_DXFER_FROM_DEV; break;
        case ScsiDirection::Out: io.dxfer_direction = SG_DXFER_TO_DEV; break;
        case ScsiDirection::None: io.dxfer_direction = SG_DXFER_NONE; break;
        }
        const bool transfer = command.direction != ScsiDirection::None && command.length > 0;
        if (!transfer)
            io.dxfer_direction = SG_DXFER_NONE;
        std::array<unsigned char, 16> cdb{};
        std::copy(command.cdb.begin(), command.cdb.end(), cdb.begin());
        io.cmd_len = static_cast<unsigned char>(command.cdb.size());
        io.cmdp = cdb.data();
        io.mx_sb_len = static_cast<unsigned char>(result.sense.size());
        io.sbp = result.sense.data();
        io.dxfer_len = transfer ? command.length : 0;
        io.dxferp = transfer ? command.buffer : nullptr;
        io.timeout = command.timeoutMs;
        const int rc = SysIoctl(source_, fd_, SG_IO, &io);
        if (rc < 0) {
            result.error = -rc;
            return result;
        }
        result.status = io.status;
        result.hostStatus = io.host_status;
        result.driverStatus = io.driver_status;
        result.senseLength = std::min<unsigned>(io.sb_len_wr, result.sense.size());
        result.residual = io.resid;
        return result;
    }

    bool Reset() override
    {
        int what = SG_SCSI_RESET_DEVICE;
        return SysIoctl(source_, fd_, SG_SCSI_RESET, &what) == 0;
    }

private:
    int fd_;
    ScsiSource source_;
};

class VirtualDrive final : public ScsiDriveHandle {
public:
    VirtualDrive(std::shared_ptr<VirtualEntry> entry, bool exclusive)
        : ScsiDriveHandle(entry->number, entry->name), entry_(std::move(entry)), exclusive_(exclusive)
    {
    }
    ~VirtualDrive() override
    {
        if (exclusive_)
            entry_->claimed = false;
    }
    ScsiResult Execute(const ScsiCommand& command) override
    {
        if (command.cdb.empty() || command.cdb.size() > 16 || (command.length && !command.buffer)) {
            ScsiResult result;
            result.error = EINVAL;
            return result;
        }
        return entry_->target->Execute(command);
    }
    bool Reset() override { return entry_->target->Reset(); }

private:
    std::shared_ptr<VirtualEntry> entry_;
    bool exclusive_;
};

} // namespace

std::vector<ScsiDriveInfo> EnumerateScsiDrives()
{
    LoadRecorderPlugin();
    const ScsiSource source = CurrentSource();
    const std::vector<SystemDrive> system = ListSystemDrives(source);

    std::map<std::pair<unsigned, unsigned>, std::uint8_t> adapters;   // (host, channel) -> dense number
    for (const SystemDrive& drive : system)
        if (drive.address)
            adapters.emplace(std::make_pair(drive.address->host, drive.address->channel), 0);
    std::uint8_t next = 0;
    for (auto& [key, dense] : adapters)
        dense = next++;

    std::vector<ScsiDriveInfo> drives;
    for (const SystemDrive& drive : system) {
        ScsiDriveInfo info;
        info.number = drive.number;
        info.path = DevicePath(drive.number);
        if (drive.address && drive.address->target <= 0xFF && drive.address->lun <= 0xFF)
            info.address = ScsiAddress{adapters[{drive.address->host, drive.address->channel}],
                                       static_cast<std::uint8_t>(drive.address->target),
                                       static_cast<std::uint8_t>(drive.address->lun)};
        drives.push_back(std::move(info));
    }
    std::lock_guard<std::mutex> guard(g_mutex);
    int index = 0;
    for (const auto& entry : g_virtual) {
        ScsiDriveInfo info;
        info.number = entry->number;
        info.path = entry->name;
        info.isVirtual = true;
        info.address = ScsiAddress{next, static_cast<std::uint8_t>(index % 8), static_cast<std::uint8_t>(index / 8)};
        drives.push_back(std::move(info));
        ++index;
    }
    std::stable_sort(drives.begin(), drives.end(),
                     [](const ScsiDriveInfo& a, const ScsiDriveInfo& b) { return a.number < b.number; });
    return drives;
}

std::optional<ScsiDriveInfo> FindScsiDrive(int number)
{
    for (ScsiDriveInfo& drive : EnumerateScsiDrives())
        if (drive.number == number)
            return std::move(drive);
    return std::nullopt;
}

std::string ScsiSystemErrorText(int code, const std::string& path)
{
    switch (code) {
    case EACCES:
    case EPERM: return "no permission on " + path;
    case EBUSY: return path + " is in use (a disc in it may be mounted)";
    case ENOENT:
    case ENXIO:
    case ENODEV: return "no drive " + path;
    case ENOMEDIUM: return "no disc in " + path;
    default: return path + ": " + std::strerror(code);
    }
}

std::shared_ptr<ScsiDriveHandle> OpenScsiDrive(int number, ScsiOpenMode mode, ScsiOpenError* error)
{
    LoadRecorderPlugin();
    const bool exclusive = mode == ScsiOpenMode::Exclusive;
    auto fail = [&](int code, const std::string& path) -> std::shared_ptr<ScsiDriveHandle> {
        if (error)
            *error = ScsiOpenError{code, ScsiSystemErrorText(code, path)};
        return nullptr;
    };
    ScsiSource source;
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        for (const auto& entry : g_virtual) {
            if (entry->number != number)
                continue;
            if (exclusive && entry->claimed.exchange(true))
                return fail(EBUSY, entry->name);
            return std::make_shared<VirtualDrive>(entry, exclusive);
        }
        source = g_source;
    }
    if (number < 0)
        return fail(ENODEV, DevicePath(number));
    const std::string path = DevicePath(number);
    const int extra = O_NONBLOCK | (exclusive ? O_EXCL : 0);
    int fd = SysOpen(source, path, O_RDWR | extra);
    if (fd < 0) {
        const int first = -fd;
        fd = SysOpen(source, path, O_RDONLY | extra);
        if (fd < 0)
            return fail(first == EBUSY ? EBUSY : -fd, path);
    }
    if (error)
        *error = ScsiOpenError{};
    return std::make_shared<SgDrive>(number, path, fd, std::move(source));
}

int RegisterVirtualScsiDrive(std::shared_ptr<ScsiTarget> target, std::string name)
{
    if (!target)
        return -1;
    std::lock_guard<std::mutex> guard(g_mutex);
    int number = kFirstVirtualNumber;
    for (const auto& entry : g_virtual) {
        if (entry->number != number)
            break;
        ++number;
    }
    if (number > kLastVirtualNumber)
        return -1;
    auto entry = std::make_shared<VirtualEntry>();
    entry->number = number;
    entry->name = std::move(name);
    entry->target = std::move(target);
    auto at = std::find_if(g_virtual.begin(), g_virtual.end(), [&](const auto& e) { return e->number > number; });
    g_virtual.insert(at, std::move(entry));
    return number;
}

bool UnregisterVirtualScsiDrive(int number)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return std::erase_if(g_virtual, [&](const auto& entry) { return entry->number == number; }) > 0;
}

void SetScsiSource(const ScsiSource& source)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_source = source;
}
