#pragma once
// Per-port progress of a test: how many packets the port has sent, and how far a file
// being sent in chunks has gone. Whether the port runs is its send state's
// (port_send_state.h). The count and the flag are read by one thread while another changes
// them, so they are atomics; the file positions change only under the port's building lock.

#include <atomic>
#include <cstdint>

namespace brenmoor::engine {

struct PortRunState {
    std::atomic<std::int32_t> packetsSent{0};
};

struct FileTransferState {
    std::int32_t remaining = 0;     // bytes after the chunk just taken, as the pass counts them
    std::int32_t readPosition = 0;  // next byte of FileData to send
    std::atomic<std::uint8_t> continuation{0};  // 1 while the pass has further chunks
};

}  // namespace brenmoor::engine
