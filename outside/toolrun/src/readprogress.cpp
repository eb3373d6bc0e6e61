#include "toolrun/toolrun.h"

#include "rtl/paths.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace toolrun {

namespace {

std::string Canonical(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::string ReadLink(const std::string& link)
{
    std::string target(256, '\0');
    for (;;) {
        ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            return target;
        }
        if (target.size() > 65536)
            return {};
        target.resize(target.size() * 2);
    }
}

// The "pos:" field of /proc/<pid>/fdinfo/<fd>; -1 when it cannot be read.
std::int64_t ReadPosition(const std::string& fdinfo)
{
    int fd = ::open(fdinfo.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char buffer[512];
    ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return -1;
    std::string_view text(buffer, static_cast<std::size_t>(n));
    if (text.substr(0, 4) != "pos:")
        return -1;
    std::size_t i = 4;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::int64_t value = 0;
    bool any = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value < (INT64_MAX - 9) / 10) {
        value = value * 10 + (text[i] - '0');
        ++i;
        any = true;
    }
    return any ? value : -1;
}

} // namespace

ReadProgress::ReadProgress(const std::vector<std::string>& inputs)
{
    for (const std::string& path : inputs) {
        Input input;
        input.path = Canonical(path);
        input.size = std::max<std::int64_t>(0, FileSize64(path));
        total_ += input.size;
        inputs_.push_back(std::move(input));
    }
}

std::int64_t ReadProgress::Consumed(pid_t pid)
{
    const std::string base = "/proc/" + std::to_string(pid);
    if (DIR* folder = ::opendir((base + "/fd").c_str())) {
        std::vector<bool> openNow(inputs_.size(), false);
        while (dirent* entry = ::readdir(folder)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            std::string target = ReadLink(base + "/fd/" + name);
            for (std::size_t i = 0; i < inputs_.size(); ++i) {
                if (target != inputs_[i].path)
                    continue;
                openNow[i] = true;
                inputs_[i].seen = true;
                std::int64_t pos = ReadPosition(base + "/fdinfo/" + name);
                if (pos > inputs_[i].read)
                    inputs_[i].read = pos;
            }
        }
        ::closedir(folder);
        for (std::size_t i = 0; i < inputs_.size(); ++i)
            if (inputs_[i].seen && !openNow[i])
                inputs_[i].closed = true;
    }
    std::int64_t sum = 0;
    for (const Input& input : inputs_)
        sum += input.closed ? input.size : std::min(input.read, input.size);
    return sum;
}

int ReadProgress::Percent(pid_t pid)
{
    std::int64_t consumed = Consumed(pid);
    if (total_ <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>(99, consumed * 100 / total_));
}

} // namespace toolrun
