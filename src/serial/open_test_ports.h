#pragma once
// The session's table of open ports, and opening every port marked for testing.

#include <array>
#include <cstdint>

#include "config/port_settings.h"
#include "platform/message_box.h"
#include "platform/serial_device.h"
#include "serial/serial_port.h"

namespace brenmoor::serial {

struct SessionPortTable {
    std::array<platform::SerialHandle, config::kPortCount> handles{};
    std::array<std::uint8_t, config::kPortCount> portOpen{};
    std::int32_t openCount = 0;
    std::uint8_t anyPortOpen = 0;
};

// Opens, in port order, every port whose nPortOpen is set, with one message for each that
// does not open. The caller resets table.openCount first.
void OpenTestPorts(SessionPortTable& table, CSerialPort& opener,
                   const config::SettingsTables& tables, platform::SerialBackend& backend,
                   platform::MessageSink& messages);

}  // namespace brenmoor::serial
