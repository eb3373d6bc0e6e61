#pragma once
// Runs checks of what a user may not do in a child process that has no right
// to write anywhere: run as root (as CI is), the child gives the test's folder
// to the unprivileged user "nobody" and becomes that user, so a permission the
// test takes away really holds. Answers the failures the check reports, or why
// the child could not run it; "" when every check held.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

inline std::string AsUnprivilegedUser(const std::string& folder, const std::function<std::string()>& check)
{
    int fds[2];
    if (pipe(fds) != 0) return std::string("pipe: ") + std::strerror(errno);
    const pid_t child = fork();
    if (child < 0) return std::string("fork: ") + std::strerror(errno);
    if (child == 0) {
        close(fds[0]);
        std::string result;
        if (geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            std::error_code ec;
            lchown(folder.c_str(), kNobody, kNobody);
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
                lchown(entry.path().c_str(), kNobody, kNobody);
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0 || geteuid() == 0)
                result = std::string("cannot leave root: ") + std::strerror(errno);
        }
        if (result.empty()) result = check();
        const char* p = result.data();
        std::size_t left = result.size();
        while (left > 0) {
            const ssize_t n = write(fds[1], p, left);
            if (n <= 0) break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        result.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) result += " (the child did not end normally)";
    return result;
}
