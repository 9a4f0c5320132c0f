#include "serial/open_test_ports.h"

#include <string>

#include "platform/com_names.h"

namespace brenmoor::serial {

void OpenTestPorts(SessionPortTable& table, CSerialPort& opener, const config::SettingsTables& tables,
                   platform::SerialBackend& backend, platform::MessageSink& messages) {
    table.anyPortOpen = 0;
    for (int port = 0; port < config::kPortCount; ++port) {
        const config::PortRegistryEntry& entry = tables.m_PortRegistry[port];
        table.handles[port] = nullptr;
        if (entry.nPortOpen == 0) continue;

        // A COM number outside 1-255 is refused rather than wrapped onto another port's.
        table.portOpen[port] = 0;
        const std::int64_t comNumber = config::comNumber(entry);
        const bool numbered = comNumber >= 1 && comNumber <= platform::kMaxComNumber;
        if (numbered)
            table.handles[port] =
                opener.Open(static_cast<std::uint8_t>(comNumber), port, tables.m_PortRegistry, backend);

        if (table.handles[port]) {
            ++table.openCount;
            table.portOpen[port] = 1;
            table.anyPortOpen = 1;
        } else {
            messages.showMessage({"Unable to open the communication port COM" + std::to_string(comNumber), "ERROR",
                                  platform::MessageIcon::Warning, platform::MessageOwner::MainWindow,
                                  numbered ? opener.lastOpenError().detail
                                           : "COM numbers run from 1 to " + std::to_string(platform::kMaxComNumber)});
        }
    }
}

}  // namespace brenmoor::serial
