#pragma once
// Volumes and free space, read from the mount table and statvfs. The mount
// table and the block-device information are injectable so that tests can
// describe any set of volumes.
#include "win32/export.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum : unsigned {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

struct Volume {
    std::string mountPoint;   // with a trailing '/'
    std::string device;       // "/dev/sda1", "tmpfs", "server:/share"
    std::string fsType;       // "ext4", "iso9660", ...
    bool readOnly = false;
    bool removable = false;   // on a removable block device (USB stick, card)
    bool cdrom = false;       // an optical drive or an optical file system
    bool fixed = false;       // a writable file system on a non-removable block device
    bool userWritable = false; // this user may create files at the mount point itself
    unsigned driveType = DRIVE_UNKNOWN;
};

struct DiskSpace {
    std::uint64_t freeBytes = 0;   // available to an unprivileged user
    std::uint64_t totalBytes = 0;
};

// Every mounted file system, in mount-table order, pseudo file systems
// (proc, sysfs, cgroup, ...) left out. A mount point listed twice keeps its
// last entry (the one in effect).
WIN32_API std::vector<Volume> EnumerateVolumes();
// The volume holding path (the longest mount point that is a prefix of it).
WIN32_API std::optional<Volume> VolumeOf(const std::string& path);
// DRIVE_NO_ROOT_DIR when path does not exist.
WIN32_API unsigned GetDriveType(const std::string& path);
// False when path cannot be examined.
WIN32_API bool GetDiskFreeSpace(const std::string& path, DiskSpace& space);

// Where the volume information comes from. Empty fields mean the real system.
struct DriveSource {
    std::string mountsText;    // the text of a mount table in /proc/self/mounts form
    std::string mountsFile;    // or a file holding one
    std::string sysBlockRoot;  // folder standing for /sys/block (its <dev>/removable files)
    // When set, answers GetDiskFreeSpace instead of statvfs (nullopt = cannot be read).
    std::function<std::optional<DiskSpace>(const std::string& path)> space;
};
// Installs a source for the whole process; a default DriveSource restores the real one.
WIN32_API void SetDriveSource(const DriveSource& source);
