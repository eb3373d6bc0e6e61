#pragma once
// Each test gets its own program folder and a described set of volumes.
#include "rtl/paths.h"
#include "win32/drives.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = MakeTempFolder("shell-test");
        program_ = JoinPath(root_, "program") + "/";
        ForceDirectories(program_);
        SetProgramFolder(program_);
        sys_ = JoinPath(root_, "sys/block");
        ForceDirectories(JoinPath(sys_, "sda"));
        Write(JoinPath(sys_, "sda/removable"), "0\n");
        ForceDirectories(JoinPath(sys_, "sdb"));
        Write(JoinPath(sys_, "sdb/removable"), "1\n");
        UseVolumes({});
    }
    void TearDown() override
    {
        SetDriveSource(DriveSource{});
        SetProgramFolder("");
        SetDataFolders({});
        SetUserLocale("");
        std::filesystem::remove_all(root_);
    }

    static void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    struct FakeVolume {
        std::string name;       // folder below the test root
        std::string device;     // "/dev/sda1" fixed, "/dev/sdb1" removable
        std::string options = "rw";
        std::uint64_t freeMB = 0;
        bool create = true;     // false: the mount point cannot be written (it is not there)
    };
    // Mount table in the given order; free space answered per mount point.
    void UseVolumes(const std::vector<FakeVolume>& volumes)
    {
        std::string table = "proc /proc proc rw 0 0\n";
        auto space = std::make_shared<std::map<std::string, std::uint64_t>>();
        for (const FakeVolume& v : volumes) {
            const std::string point = Mount(v.name);
            if (v.create)
                ForceDirectories(point);
            table += v.device + " " + point + " ext4 " + v.options + " 0 0\n";
            (*space)[point + "/"] = v.freeMB * 1024 * 1024;
        }
        SetDriveSource(DriveSource{table, "", sys_, [space](const std::string& path) -> std::optional<DiskSpace> {
                                       std::string key = IncludeTrailingPathDelimiter(path);
                                       auto it = space->find(key);
                                       if (it == space->end())
                                           return std::nullopt;
                                       return DiskSpace{it->second, it->second * 2};
                                   }});
    }
    std::string Mount(const std::string& name) const { return JoinPath(root_, name); }
    std::string Config() const { return program_ + "Config.ini"; }

    std::string root_, program_, sys_;
};
