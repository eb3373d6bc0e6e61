#include "testutil.h"

#include "rtl/paths.h"

#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace gfxtest {

int RunTool(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& name)
{
    return RunTool({"sh", "-c", "command -v \"$0\" >/dev/null", name}) == 0;
}

TColor Ppm::At(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
}

bool ReadPpm(const std::string& path, Ppm& out)
{
    const std::vector<std::uint8_t> d = ReadFile(path);
    std::size_t i = 0;
    auto token = [&]() {
        while (i < d.size() && (std::isspace(d[i]) || d[i] == '#')) {
            if (d[i] == '#')
                while (i < d.size() && d[i] != '\n') ++i;
            else ++i;
        }
        std::string t;
        while (i < d.size() && !std::isspace(d[i])) t += static_cast<char>(d[i++]);
        return t;
    };
    if (token() != "P6") return false;
    out.width = std::stoi(token());
    out.height = std::stoi(token());
    if (token() != "255") return false;
    ++i;
    const std::size_t n = static_cast<std::size_t>(out.width) * out.height * 3;
    if (d.size() < i + n) return false;
    out.rgb.assign(d.begin() + static_cast<std::ptrdiff_t>(i), d.begin() + static_cast<std::ptrdiff_t>(i + n));
    return true;
}

void WritePpm(const std::string& path, const Ppm& image)
{
    std::string head = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), image.rgb.begin(), image.rgb.end());
    WriteFile(path, bytes);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string TempDir() { return MakeTempFolder("gfx-test"); }

} // namespace gfxtest
