#include "win32/drives.h"

#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/readfile.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::mutex g_sourceMutex;
DriveSource g_source;

DriveSource CurrentSource()
{
    std::lock_guard<std::mutex> guard(g_sourceMutex);
    return g_source;
}

// Mount tables escape blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(std::string_view field)
{
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' &&
            field.size() - i > 3 && octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

bool IsPseudoFileSystem(const std::string& type)
{
    static const std::array<const char*, 24> pseudo = {
        "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "mqueue", "securityfs",
        "debugfs", "tracefs", "pstore", "bpf", "configfs", "fusectl", "hugetlbfs", "autofs",
        "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs", "selinuxfs", "nfsd", "fuse.portal", "fuse.gvfsd-fuse"};
    return std::find(pseudo.begin(), pseudo.end(), type) != pseudo.end();
}

// Mounts the system keeps for itself; nobody stores video there.
bool IsSystemMountPoint(const std::string& mountPoint)
{
    for (const char* prefix : {"/proc/", "/sys/", "/dev/"})
        if (mountPoint.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// Containers bind single files (/etc/hosts, ...) over the root file system;
// a file is no place for a working folder.
bool IsFileMount(const std::string& mountPoint)
{
    struct stat info{};
    return ::stat(mountPoint.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsOpticalType(const std::string& type) { return type == "iso9660" || type == "udf"; }

bool IsRemoteType(const std::string& type)
{
    static const std::array<const char*, 9> remote = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p",
                                                      "fuse.sshfs", "afs", "ceph"};
    return std::find(remote.begin(), remote.end(), type) != remote.end();
}

// Local disk file systems that are not mounted from a /dev node: a
// container's root, pooled volumes.
bool IsLocalDiskWithoutDevice(const std::string& type) { return type == "overlay" || type == "zfs"; }

std::string BaseName(const std::string& device)
{
    std::size_t slash = device.rfind('/');
    return slash == std::string::npos ? device : device.substr(slash + 1);
}

bool IsOpticalDevice(const std::string& name)
{
    return name.rfind("sr", 0) == 0 || name.rfind("scd", 0) == 0 || name.rfind("cdrom", 0) == 0 ||
           name.rfind("dvd", 0) == 0;
}

// The disk a partition belongs to: sdb1 -> sdb, mmcblk0p1 -> mmcblk0, nvme0n1p2 -> nvme0n1.
bool ReadRemovable(const std::string& sysBlock, const std::string& name)
{
    auto flag = [&](const std::string& disk, bool& removable) {
        std::string text;
        if (disk.empty() || !ReadWholeFile(JoinPath(JoinPath(sysBlock, disk), "removable"), text))
            return false;
        removable = Trim(text) == "1";
        return true;
    };
    bool removable = false;
    if (flag(name, removable))
        return removable;
    std::string disk = name;
    while (!disk.empty() && disk.back() >= '0' && disk.back() <= '9')
        disk.pop_back();
    if (flag(disk, removable))
        return removable;
    if (disk.size() > 1 && disk.back() == 'p' && disk[disk.size() - 2] >= '0' && disk[disk.size() - 2] <= '9') {
        disk.pop_back();
        if (flag(disk, removable))
            return removable;
    }
    return false;
}

void Classify(Volume& volume, const DriveSource& source)
{
    const bool real = source.sysBlockRoot.empty() && source.mountsText.empty() && source.mountsFile.empty();
    const std::string sysBlock = source.sysBlockRoot.empty() ? std::string("/sys/block") : source.sysBlockRoot;
    std::string device = volume.device;
    if (real && device.rfind("/dev/", 0) == 0) {
        // /dev/disk/by-uuid/... and /dev/mapper/... are links to the real node.
        if (char* resolved = realpath(device.c_str(), nullptr)) {
            device = resolved;
            std::free(resolved);
        }
    }
    const bool blockDevice = device.rfind("/dev/", 0) == 0;
    const std::string name = BaseName(device);

    volume.cdrom = IsOpticalType(volume.fsType) || (blockDevice && IsOpticalDevice(name));
    volume.removable = blockDevice && !volume.cdrom && ReadRemovable(sysBlock, name);
    if (volume.cdrom)
        volume.driveType = DRIVE_CDROM;
    else if (IsRemoteType(volume.fsType) || device.find(":/") != std::string::npos || device.rfind("//", 0) == 0)
        volume.driveType = DRIVE_REMOTE;
    else if (volume.fsType == "tmpfs" || volume.fsType == "ramfs")
        volume.driveType = DRIVE_RAMDISK;
    else if (volume.removable)
        volume.driveType = DRIVE_REMOVABLE;
    else if (blockDevice || IsLocalDiskWithoutDevice(volume.fsType))
        volume.driveType = DRIVE_FIXED;
    else
        volume.driveType = DRIVE_UNKNOWN;
    volume.fixed = volume.driveType == DRIVE_FIXED && !volume.readOnly;
    volume.userWritable = !volume.readOnly && access(volume.mountPoint.c_str(), W_OK) == 0;
}

std::vector<Volume> ParseMounts(const std::string& text, const DriveSource& source)
{
    std::vector<Volume> volumes;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type, options;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        fields >> options;
        type = Unescape(type);
        mountPoint = Unescape(mountPoint);
        if (mountPoint.empty() || mountPoint[0] != '/' || IsPseudoFileSystem(type))
            continue;
        Volume volume;
        volume.device = Unescape(device);
        volume.mountPoint = IncludeTrailingPathDelimiter(mountPoint);
        volume.fsType = type;
        if (IsSystemMountPoint(volume.mountPoint) || IsFileMount(mountPoint))
            continue;
        std::istringstream opts(options);
        std::string option;
        while (std::getline(opts, option, ','))
            if (option == "ro")
                volume.readOnly = true;
        Classify(volume, source);
        std::erase_if(volumes, [&](const Volume& v) { return v.mountPoint == volume.mountPoint; });
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

} // namespace

std::vector<Volume> EnumerateVolumes()
{
    DriveSource source = CurrentSource();
    std::string text = source.mountsText;
    if (text.empty()) {
        std::string file = source.mountsFile.empty() ? std::string("/proc/self/mounts") : source.mountsFile;
        if (!ReadWholeFile(file, text))
            return {};
    }
    return ParseMounts(text, source);
}

std::optional<Volume> VolumeOf(const std::string& path)
{
    std::string full = IncludeTrailingPathDelimiter(ExpandFileName(path));
    std::optional<Volume> best;
    for (Volume& volume : EnumerateVolumes()) {
        if (full.rfind(volume.mountPoint, 0) != 0)
            continue;
        if (!best || volume.mountPoint.size() >= best->mountPoint.size())
            best = std::move(volume);
    }
    return best;
}

unsigned GetDriveType(const std::string& path)
{
    if (path.empty() || !DirectoryExists(path))
        return DRIVE_NO_ROOT_DIR;
    std::optional<Volume> volume = VolumeOf(path);
    return volume ? volume->driveType : DRIVE_UNKNOWN;
}

bool GetDiskFreeSpace(const std::string& path, DiskSpace& space)
{
    if (path.empty())
        return false;
    DriveSource source = CurrentSource();
    if (source.space) {
        std::optional<DiskSpace> fake = source.space(path);
        if (fake)
            space = *fake;
        return fake.has_value();
    }
    struct statvfs info{};
    if (statvfs(path.c_str(), &info) != 0)
        return false;
    const std::uint64_t unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    space.freeBytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
    space.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
    return true;
}

void SetDriveSource(const DriveSource& source)
{
    std::lock_guard<std::mutex> guard(g_sourceMutex);
    g_source = source;
}
