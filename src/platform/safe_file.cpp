#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace brenmoor::platform {
namespace {

// A name for the temporary file that no other writer in this directory uses: hidden,
// after the target, with the process id and a per-process counter.
std::filesystem::path tempNameFor(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                       std::to_string(counter.fetch_add(1));
    return target.parent_path() / name;
}

// Permission bits of an existing regular target that we may write; -1 when it exists but
// is not one, 0 when there is none (the new file then takes the usual 0666 less umask).
int existingTargetMode(const std::filesystem::path& target) {
    int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? 0 : -1;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? static_cast<int>(st.st_mode & 07777) : -1;
}

}  // namespace

InputFile openRegularFile(const std::filesystem::path& path, OpenOutcome& outcome) {
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; such files are refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        outcome = errno == ENOENT ? OpenOutcome::Missing : OpenOutcome::Refused;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        outcome = OpenOutcome::Refused;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "r");
    if (file == nullptr) {
        ::close(fd);
        outcome = OpenOutcome::Refused;
        return nullptr;
    }
    outcome = OpenOutcome::Opened;
    return InputFile(file);
}

FileReplacement::FileReplacement(std::filesystem::path target) : target_(std::move(target)) {}

FileReplacement::~FileReplacement() { discard(); }

bool FileReplacement::open() {
    std::error_code ec;
    if (std::filesystem::is_symlink(target_, ec) && std::filesystem::exists(target_, ec)) {
        const auto resolved = std::filesystem::canonical(target_, ec);
        if (ec) return false;
        target_ = resolved;
    }
    const int mode = existingTargetMode(target_);
    if (mode < 0) return false;

    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = tempNameFor(target_);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
    // Replacing a file keeps its permissions.
    if (mode > 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) != 0) {
        discard();
        return false;
    }
    return true;
}

bool FileReplacement::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            discard();
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool FileReplacement::commit() {
    if (fd_ < 0) return false;
    const bool flushed = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!flushed || !closed || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    temp_.clear();
    // Make the rename itself durable; the new contents are already in place either way.
    const auto dir = target_.parent_path().empty() ? std::filesystem::path(".") : target_.parent_path();
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void FileReplacement::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace brenmoor::platform
