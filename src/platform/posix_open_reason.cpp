#include "platform/posix_open_reason.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace brenmoor::platform {
namespace {

std::string groupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found != nullptr ? std::string(found->gr_name) : std::to_string(gid);
}

// Whether this process runs with `gid` among its groups. A user added to a group
// only gets it at the next login, so the process's groups are what counts.
bool processInGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

std::string permissionReason(const std::string& path) {
    const std::string denied = "Permission denied: " + path;
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0) return denied;
    // Membership helps only when the group may read and write the node.
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    if ((node.st_mode & kGroupReadWrite) == kGroupReadWrite && !processInGroup(node.st_gid))
        return denied + " belongs to group " + groupName(node.st_gid) + ", and you are not in it";
    return denied;
}

}  // namespace

OpenFailure openFailureKind(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case EIO:  // an 8250 node with no UART behind it
            return OpenFailure::Absent;
        case EBUSY:
        case EWOULDBLOCK:
            return OpenFailure::Busy;
        case ENOTTY:
        case EISDIR:
            return OpenFailure::NotATty;
        case EACCES:
        case EPERM:
        case EROFS:
            return OpenFailure::NotPermitted;
        default:
            return OpenFailure::Other;
    }
}

std::string openFailureReason(const std::string& path, const char* step, int error) {
    switch (openFailureKind(error)) {
        case OpenFailure::Absent:
            return "No such device: " + path;
        case OpenFailure::Busy:
            return "In use by another program: " + path;
        case OpenFailure::NotATty:
            return "Not a serial port: " + path;
        case OpenFailure::NotPermitted:
            return permissionReason(path);
        case OpenFailure::None:
        case OpenFailure::Other:
            break;
    }
    return path + ": " + step + ": " + std::strerror(error);
}

}  // namespace brenmoor::platform
