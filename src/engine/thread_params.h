#pragma once
// What the session hands its worker threads, and what each port's receive thread leaves
// for receive processing.

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

#include "config/port_settings.h"
#include "platform/events.h"
#include "platform/serial_device.h"
#include "platform/window_notice.h"

namespace brenmoor::engine {

// Room for the largest read and the zero byte after it.
inline constexpr std::size_t kReceiveBufferSize = 500;

struct TxThreadParams {
    std::array<platform::SerialHandle, config::kPortCount> portHandles{};  // taken at start
    platform::MainWindowNotices* mainWindow = nullptr;
    platform::EventHandle writeEvent;
    platform::EventHandle exitEvent;
};

struct RxThreadParams {
    platform::SerialHandle portHandle;
    const std::atomic<std::uint8_t>* sessionFlag = nullptr;
    platform::MainWindowNotices* mainWindow = nullptr;
    std::int32_t portIndex = 0;
    std::int32_t* countSlot = nullptr;
    // The bytes of the last read; the receive thread points it at its own buffer.
    const std::uint8_t* bufferSlot = nullptr;
};

// Written only by the port's receive thread (the thread object by the window thread).
struct ReceiveBlock {
    std::thread thread;
    std::int32_t receivedCount = 0;
    std::array<std::uint8_t, kReceiveBufferSize> receivedCopy{};
};

}  // namespace brenmoor::engine
