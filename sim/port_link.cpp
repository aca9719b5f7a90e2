#include "sim/port_link.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/port_map.h"

namespace vr::sim {
namespace {

// Attempts to take a lock file that its simulator removes at the same moment.
constexpr int kClaimAttempts = 10;

std::string withReason(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

std::string linkTarget(const std::string &path) {
    std::error_code error;
    return std::filesystem::read_symlink(path, error).string();
}

// The process id a simulator wrote into the lock file it holds; empty when there is none.
std::string ownerOf(int lockFd) {
    char text[24] = {};
    const ssize_t count = ::pread(lockFd, text, sizeof text - 1, 0);
    std::string pid(text, count > 0 ? static_cast<std::size_t>(count) : 0);
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\0'))
        pid.pop_back();
    return pid;
}

} // namespace

PortLink::PortLink(int portNumber)
    : portNumber_(portNumber), path_(PortMapEntry(portNumber)), lockPath_(path_ + ".lock") {
}

PortLink::~PortLink() {
    if (!target_.empty() && linkTarget(path_) == target_)
        ::unlink(path_.c_str());
    if (lockFd_ >= 0) {
        // Removed while still held, so that no other simulator can take a lock on a file that is
        // no longer the one at the path.
        ::unlink(lockPath_.c_str());
        ::close(lockFd_);
    }
}

PortLink::Claim PortLink::claim(std::string &message) {
    const std::string port = "COM" + std::to_string(portNumber_);
    std::error_code made;
    std::filesystem::create_directories(PortMapFolder(), made);
    if (made) {
        message = "cannot make " + PortMapFolder() + ": " + made.message();
        return Claim::Failed;
    }

    for (int attempt = 0; attempt < kClaimAttempts && lockFd_ < 0; ++attempt) {
        const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            message = withReason("cannot open " + lockPath_);
            return Claim::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int why = errno;
            const std::string owner = ownerOf(fd);
            ::close(fd);
            if (why == EWOULDBLOCK) {
                message = port + " is served by another simulator" +
                          (owner.empty() ? "" : " (pid " + owner + ")") +
                          "; stop it or choose another --com";
                return Claim::Refused;
            }
            errno = why;
            message = withReason("cannot lock " + lockPath_);
            return Claim::Failed;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) != 0 || ::stat(lockPath_.c_str(), &named) != 0 ||
            held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
            ::close(fd); // its simulator removed it as it ended: make a new one
            continue;
        }
        lockFd_ = fd;
    }
    if (lockFd_ < 0) {
        message = "cannot take " + lockPath_ + ": it keeps being replaced";
        return Claim::Failed;
    }
    // A simulator writes its process id once it holds the lock: a lock file with one in it that
    // nobody holds was left by a simulator that is gone.
    leftOver_ = !ownerOf(lockFd_).empty();
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(lockFd_, 0) != 0 ||
        ::pwrite(lockFd_, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        message = withReason("cannot write " + lockPath_);
        return Claim::Failed;
    }

    struct stat entry {};
    if (::lstat(path_.c_str(), &entry) != 0) {
        if (errno == ENOENT)
            return Claim::Taken;
        message = withReason("cannot look at " + path_);
        return Claim::Failed;
    }
    if (S_ISLNK(entry.st_mode) && leftOver_)
        return Claim::Taken;
    message = port + " is mapped by hand (" + path_ +
              (S_ISLNK(entry.st_mode) ? " -> " + linkTarget(path_) : std::string(" is a file")) +
              "); remove it or choose another --com";
    return Claim::Refused;
}

bool PortLink::pointAt(const std::string &target, std::string &error) {
    if (!replaceLink(target)) {
        error = withReason("cannot link " + path_);
        return false;
    }
    return true;
}

void PortLink::pointNowhere() {
    // A pseudo-terminal's name is a number: this one never exists.
    if (!target_.empty())
        replaceLink(target_ + " (hung up)");
}

bool PortLink::replaceLink(const std::string &target) {
    const std::string next = path_ + ".new";
    ::unlink(next.c_str());
    if (::symlink(target.c_str(), next.c_str()) != 0)
        return false;
    if (::rename(next.c_str(), path_.c_str()) != 0) {
        const int why = errno;
        ::unlink(next.c_str());
        errno = why;
        return false;
    }
    target_ = target;
    return true;
}

} // namespace vr::sim
