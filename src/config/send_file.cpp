#include "config/send_file.h"

#include <algorithm>
#include <vector>

#include "platform/safe_file.h"

namespace brenmoor::config {

SendFileRead readSendFile(const std::filesystem::path& path, PortDataPattern& record) {
    platform::OpenOutcome outcome{};
    const platform::InputFile file = platform::openRegularFile(path, outcome);
    if (!file) return SendFileRead::CannotOpen;
    // Read into a buffer of its own first, so a failed read leaves the port's data as it was.
    std::vector<std::uint8_t> bytes(kFileDataSize);
    const std::size_t done = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) return SendFileRead::CannotRead;
    std::copy_n(bytes.begin(), done, record.FileData.begin());
    record.nFileDataLen = static_cast<std::int32_t>(done);
    return SendFileRead::Read;
}

}  // namespace brenmoor::config
