#pragma once
// Per-port progress of a test: whether the port runs and how many packets it has sent,
// and how far a file being sent in chunks has gone. The flags are read by the transmit
// thread while the window thread changes them, so they are atomics; the file positions
// change only under the port's building lock (port_send_state.h).

#include <atomic>
#include <cstdint>

namespace brenmoor::engine {

struct PortRunState {
    std::atomic<std::uint8_t> running{0};
    std::atomic<std::int32_t> packetsSent{0};
};

struct FileTransferState {
    std::int32_t remaining = 0;     // bytes after the chunk just taken, as the pass counts them
    std::int32_t readPosition = 0;  // next byte of FileData to send
    std::atomic<std::uint8_t> continuation{0};  // 1 while the pass has further chunks
};

}  // namespace brenmoor::engine
