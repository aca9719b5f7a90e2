#pragma once

#include <string>

namespace vr::sim {

// The simulator's claim on port number n in the port map folder: the link COM<n> to its
// pseudo-terminal, and the lock file COM<n>.lock beside it, held with flock() for as long as the
// simulator runs and removed with the link when it ends.
//
// The kernel releases the lock when the process ends, however it ends. So a lock that is held
// means COM<n> belongs to a running simulator; a lock file that nobody holds was left by a
// simulator that could not clean up (SIGKILL), and its link may be replaced; a COM<n> without a
// lock file was made by hand and is not touched.
class PortLink {
public:
    enum class Claim {
        Taken,   // the lock is ours; COM<n> is free or was left by a simulator that is gone
        Refused, // a running simulator serves COM<n>, or it was made by hand
        Failed,  // the folder or the lock file could not be made
    };

    explicit PortLink(int portNumber);
    ~PortLink(); // removes the link while it is still ours, then the lock file
    PortLink(const PortLink &) = delete;
    PortLink &operator=(const PortLink &) = delete;

    // Takes the lock and checks that COM<n> may be linked. Otherwise says why in `message`.
    Claim claim(std::string &message);
    // Points COM<n> at `target`, replacing in one step what stands there. Only after claim().
    bool pointAt(const std::string &target, std::string &error);
    // Points COM<n> at a name that never exists, so that the pseudo-terminal number, which the
    // system gives out again once the line has hung up, is never reached through it. The port
    // stays the simulator's and does not open.
    void pointNowhere();

private:
    bool replaceLink(const std::string &target);

    int portNumber_;
    std::string path_;
    std::string lockPath_;
    int lockFd_ = -1;
    bool leftOver_ = false; // the lock file was there, held by nobody
    std::string target_;    // what the link points at while it is ours; empty before
};

} // namespace vr::sim
