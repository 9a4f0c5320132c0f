#pragma once
// File access that bad input cannot turn against the tool: reading only regular files
// (a FIFO or a device could block or never end), and replacing a file so that a failure
// at any step leaves the old one whole.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

namespace brenmoor::platform {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

enum class OpenOutcome { Opened, Missing, Refused };

// Opens `path` for reading when it is a regular file. Missing: nothing is there;
// Refused: something is there that cannot be read as a file (no permission, a directory,
// a device, a FIFO).
InputFile openRegularFile(const std::filesystem::path& path, OpenOutcome& outcome);

// The new contents of one file, written to a temporary file beside it and put in its
// place by commit() only when all of them have reached the disk. Until then the old file
// stays as it was; a replacement that is not committed removes its temporary file.
// A symbolic link is followed, so the file it names is replaced and the link stays.
class FileReplacement {
public:
    explicit FileReplacement(std::filesystem::path target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file. False when the target exists but is not a regular file
    // we may write, or when no file can be created beside it.
    bool open();
    // False when the bytes could not all be written; the temporary file is then removed
    // at once and commit() refuses.
    bool write(std::string_view bytes);
    // Flushes the temporary file to the disk and renames it over the target.
    bool commit();

private:
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
};

}  // namespace brenmoor::platform
