#pragma once
// The file a port sends: its first kFileDataSize bytes, read raw into the port's pattern
// record. Only a regular file is read, so a FIFO or a device chosen by mistake cannot block
// the caller or never end.

#include <cstdint>
#include <filesystem>

#include "config/port_settings.h"

namespace brenmoor::config {

enum class SendFileRead : std::uint8_t { Read, CannotOpen, CannotRead };

// Fills `record`'s FileData and nFileDataLen from `path`. On a failure the record keeps
// the data it had.
SendFileRead readSendFile(const std::filesystem::path& path, PortDataPattern& record);

}  // namespace brenmoor::config
