#pragma once
// One port object: open and configure a COM port, and the bounded write and read.
// The object never closes its handle; copies made by Attach refer to the same open port.

#include <array>
#include <chrono>
#include <cstdint>

#include "config/port_settings.h"
#include "platform/message_box.h"
#include "platform/serial_device.h"

namespace brenmoor::serial {

// How long Write and Read wait for a transfer before giving up.
inline constexpr std::chrono::milliseconds kTransferLimit{10000};
// Read never takes more than this many bytes at once.
inline constexpr std::uint32_t kReadLimit = 450;
// The time-outs an open port gets: a read returns what has arrived; a write may take 1 ms
// per byte plus 100 ms.
inline constexpr platform::Timeouts kPortTimeouts{0, 1, 100, 1, 100};

class CSerialPort {
public:
    explicit CSerialPort(platform::MessageSink& messages,
                         std::chrono::milliseconds transferLimit = kTransferLimit);
    virtual ~CSerialPort() = default;

    // Opens COM port `comNumber` for port index `port` (0-7), whose record is
    // registry[port], through `backend`, and configures it. Returns the handle, or null
    // when the port did not open: the device could not be opened, a stored list position
    // of the record lies outside its list (refused with a message before anything is
    // opened), or `port` is not a port index. Also stores the result in this object.
    platform::SerialHandle Open(std::uint8_t comNumber, int port,
                                const std::array<config::PortRegistryEntry, config::kPortCount>& registry,
                                platform::SerialBackend& backend);

    void Attach(platform::SerialHandle handle);
    // Writes one packet and waits for it, at most the transfer limit; false (after its
    // message) when it failed. A null or closed handle fails the same way.
    bool Write(const std::uint8_t* buffer, std::uint32_t count);
    // Takes up to kReadLimit waiting bytes into buffer (at least kReadLimit bytes long).
    // countOut is written only when the result is true; nothing waiting gives false
    // without a message.
    bool Read(std::uint8_t* buffer, std::uint32_t& countOut);

    const platform::SerialHandle& handle() const { return handle_; }
    // Why the last Open found no device to open; empty after any other outcome.
    const platform::OpenError& lastOpenError() const { return openError_; }

private:
    void reportWriteFailure(const char* text);
    void reportReadFailure();
    bool usable() const;

    platform::MessageSink& messages_;
    std::chrono::milliseconds transferLimit_;
    platform::SerialHandle handle_;
    platform::OpenError openError_;
};

}  // namespace brenmoor::serial
