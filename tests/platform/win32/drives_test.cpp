#include "win32/drives.h"

#include "rtl/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// Fake volumes: every mount point is a real temporary folder, so statvfs and
// the writability check have something to look at.
class Win32FakeDrives : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = MakeTempFolder("win32-drives");
        sys_ = JoinPath(root_, "sys/block");
        for (auto [disk, removable] : std::map<std::string, const char*>{
                 {"sda", "0"}, {"sdb", "1"}, {"nvme0n1", "0"}, {"mmcblk0", "1"}}) {
            ForceDirectories(JoinPath(sys_, disk));
            WriteText(JoinPath(JoinPath(sys_, disk), "removable"), std::string(removable) + "\n");
        }
        for (const char* folder : {"disk", "disk/inner", "stick", "cd", "ram", "net", "ro", "nvme", "card",
                                   "with space", "twice"})
            ForceDirectories(Mount(folder));
        WriteText(Mount("hosts-file"), "127.0.0.1 localhost\n");
    }
    void TearDown() override
    {
        SetDriveSource(DriveSource{});
        std::filesystem::remove_all(root_);
    }
    std::string Mount(const std::string& name) const { return JoinPath(root_, name); }
    void Install(const std::string& text) { SetDriveSource(DriveSource{text, "", sys_, {}}); }

    std::string Table() const
    {
        auto line = [&](const std::string& dev, const std::string& name, const std::string& type,
                        const std::string& opts) {
            std::string point = Mount(name);
            std::string escaped;
            for (char c : point)
                escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
            return dev + " " + escaped + " " + type + " " + opts + " 0 0\n";
        };
        return "proc /proc proc rw,nosuid 0 0\n"
               "sysfs /sys sysfs rw 0 0\n"
               "tmpfs /dev/shm tmpfs rw 0 0\n" +
               line("/dev/sda1", "disk", "ext4", "rw,relatime") + line("/dev/sda3", "disk/inner", "xfs", "rw") +
               line("/dev/sdb1", "stick", "vfat", "rw,nosuid") + line("/dev/sr0", "cd", "iso9660", "ro") +
               line("tmpfs", "ram", "tmpfs", "rw") + line("server:/export", "net", "nfs4", "rw") +
               line("/dev/sda2", "ro", "ext4", "ro,relatime") + line("/dev/nvme0n1p2", "nvme", "ext4", "rw") +
               line("/dev/mmcblk0p1", "card", "exfat", "rw") + line("/dev/sda4", "with space", "ext4", "rw") +
               line("/dev/sdb2", "twice", "vfat", "rw") + line("/dev/sda5", "twice", "ext4", "rw") +
               line("/dev/sda1", "hosts-file", "ext4", "rw") + "garbage\n\n";
    }

    std::string root_, sys_;
};

TEST_F(Win32FakeDrives, VolumesAreClassifiedFromTheMountTable)
{
    Install(Table());
    std::map<std::string, Volume> byPoint;
    for (const Volume& v : EnumerateVolumes())
        byPoint[v.mountPoint] = v;
    auto get = [&](const std::string& name) {
        auto it = byPoint.find(IncludeTrailingPathDelimiter(Mount(name)));
        EXPECT_NE(it, byPoint.end()) << name;
        return it == byPoint.end() ? Volume{} : it->second;
    };

    EXPECT_EQ(byPoint.count("/proc/"), 0u);
    EXPECT_EQ(byPoint.count("/sys/"), 0u);
    EXPECT_EQ(byPoint.count("/dev/shm/"), 0u);
    EXPECT_EQ(byPoint.size(), 11u);

    Volume disk = get("disk");
    EXPECT_EQ(disk.driveType, unsigned(DRIVE_FIXED));
    EXPECT_TRUE(disk.fixed);
    EXPECT_TRUE(disk.userWritable);
    EXPECT_EQ(disk.device, "/dev/sda1");
    EXPECT_EQ(disk.fsType, "ext4");

    EXPECT_EQ(get("stick").driveType, unsigned(DRIVE_REMOVABLE));
    EXPECT_TRUE(get("stick").removable);
    EXPECT_FALSE(get("stick").fixed);
    EXPECT_EQ(get("cd").driveType, unsigned(DRIVE_CDROM));
    EXPECT_TRUE(get("cd").cdrom);
    EXPECT_TRUE(get("cd").readOnly);
    EXPECT_EQ(get("ram").driveType, unsigned(DRIVE_RAMDISK));
    EXPECT_EQ(get("net").driveType, unsigned(DRIVE_REMOTE));
    EXPECT_FALSE(get("net").fixed);

    // A read-only disk is still a fixed drive, but no place to write to.
    EXPECT_EQ(get("ro").driveType, unsigned(DRIVE_FIXED));
    EXPECT_FALSE(get("ro").fixed);
    EXPECT_FALSE(get("ro").userWritable);

    // Partition names that do not simply end in digits after the disk name.
    EXPECT_TRUE(get("nvme").fixed);
    EXPECT_EQ(get("card").driveType, unsigned(DRIVE_REMOVABLE));

    EXPECT_EQ(get("with space").device, "/dev/sda4");
    // The later mount over the same point is the one in effect.
    EXPECT_EQ(get("twice").device, "/dev/sda5");
    EXPECT_TRUE(get("twice").fixed);
}

TEST_F(Win32FakeDrives, PathsBelongToTheirLongestMountPoint)
{
    Install(Table());
    std::string file = JoinPath(Mount("disk/inner"), "clip.avi");
    std::optional<Volume> inner = VolumeOf(file);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->device, "/dev/sda3");
    std::optional<Volume> outer = VolumeOf(Mount("disk/innerx"));
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->device, "/dev/sda1");

    EXPECT_EQ(GetDriveType(Mount("cd")), unsigned(DRIVE_CDROM));
    EXPECT_EQ(GetDriveType(Mount("stick")), unsigned(DRIVE_REMOVABLE));
    EXPECT_EQ(GetDriveType(Mount("missing")), unsigned(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveType(""), unsigned(DRIVE_NO_ROOT_DIR));
}

TEST_F(Win32FakeDrives, MountTableFromAFileAndAnUnreadableOne)
{
    std::string file = JoinPath(root_, "mounts");
    WriteText(file, Table());
    SetDriveSource(DriveSource{"", file, sys_, {}});
    EXPECT_EQ(EnumerateVolumes().size(), 11u);
    SetDriveSource(DriveSource{"", JoinPath(root_, "no-such-table"), sys_, {}});
    EXPECT_TRUE(EnumerateVolumes().empty());
    EXPECT_FALSE(VolumeOf(root_));
}

TEST_F(Win32FakeDrives, FreeSpaceCanBeFaked)
{
    DriveSource source{Table(), "", sys_, {}};
    const std::string disk = IncludeTrailingPathDelimiter(Mount("disk"));
    source.space = [&](const std::string& path) -> std::optional<DiskSpace> {
        if (IncludeTrailingPathDelimiter(path) != disk)
            return std::nullopt;
        return DiskSpace{5ull << 40, 6ull << 40};   // far beyond 32 bits
    };
    SetDriveSource(source);
    DiskSpace space;
    ASSERT_TRUE(GetDiskFreeSpace(Mount("disk"), space));
    EXPECT_EQ(space.freeBytes, 5ull << 40);
    EXPECT_EQ(space.totalBytes, 6ull << 40);
    EXPECT_FALSE(GetDiskFreeSpace(Mount("stick"), space));
    EXPECT_EQ(GetDriveType(Mount("disk")), unsigned(DRIVE_FIXED));
}

TEST(Win32Drives, FreeSpaceIsReadIn64Bits)
{
    std::string folder = MakeTempFolder("win32-space");
    DiskSpace space;
    ASSERT_TRUE(GetDiskFreeSpace(folder, space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_FALSE(GetDiskFreeSpace(JoinPath(folder, "missing"), space));
    EXPECT_FALSE(GetDiskFreeSpace("", space));
    RemoveDir(folder);
}

TEST(Win32Drives, TheRealRootIsListed)
{
    SetDriveSource(DriveSource{});
    bool sawRoot = false;
    for (const Volume& v : EnumerateVolumes())
        sawRoot = sawRoot || v.mountPoint == "/";
    EXPECT_TRUE(sawRoot);
    ASSERT_TRUE(VolumeOf("/usr"));
}

} // namespace
