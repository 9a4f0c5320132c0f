#pragma once
// The configuration text file: one line per port, ports 0 to 7, each a label ("SERIAL"
// and the port index) and fifteen list positions of the port's line and UART settings.
// nRxTrig and nPortOpen are not in it. The window side picks the path; failures are shown
// through the message sink, caption "Error", owned by the main window.

#include <array>
#include <filesystem>

#include "config/port_settings.h"
#include "platform/message_box.h"

namespace brenmoor::config {

using PortRegistryTable = std::array<PortRegistryEntry, kPortCount>;

class ConfigFile {
public:
    // Writes the eight lines to a temporary file beside `path` and puts it in the file's
    // place only when every line was written and flushed, so a failed save leaves the old
    // file whole. A missing file is created. False after its message.
    static bool Save(const std::filesystem::path& path, const PortRegistryTable& registry,
                     platform::MessageSink& messages);

    // Reads the records into `registry` in place: each record's label is skipped whatever
    // it holds, then its numbers go into the fields in file order, unchecked; a record
    // that stops early leaves its remaining fields and reading goes on from where it
    // stopped. Ports 1 to 7 are renumbered from port 0's COM index after their record.
    // False after its message when the file cannot be opened or ends before a record.
    static bool Load(const std::filesystem::path& path, PortRegistryTable& registry,
                     platform::MessageSink& messages);
};

}  // namespace brenmoor::config
