#pragma once
// The per-port test engine: starting and stopping a port's test, building and sending its
// packets, showing what a port received, and the session-wide panel switches.
//
// A tester made for the window thread (or a receive thread) addresses the session's port
// table and leaves the write delay after a port's first packet to the transmit thread. A
// transmit-thread tester addresses the table copied at start, waits the write delays out
// itself and sends nothing on a port that was stopped since the thread looked at it.
// Whatever thread meets a failed transfer reports it through the port's send state, so the
// port gets one message for each kind of failure, not one from each thread.

#include <array>
#include <cstdint>
#include <mutex>

#include "config/port_settings.h"
#include "engine/engine_state.h"
#include "engine/held_message.h"
#include "engine/thread_params.h"
#include "serial/serial_port.h"

namespace brenmoor::engine {

// Packet bytes and the zero byte after them.
inline constexpr std::size_t kTransmitBufferSize = 503;
inline constexpr std::int32_t kChunkSize = 100;

inline constexpr char kAlphabetLine[] = "0123456789abcdefghijklmnopqrstuvwxyz.\r\n";
inline constexpr char kSentenceLine[] = "Quick Brown Fox Jumps Over The Lazy Dog.\r\n";

class PortTester {
public:
    explicit PortTester(EngineState& engine);
    PortTester(EngineState& engine, const TxThreadParams& params);
    PortTester(const PortTester&) = delete;
    PortTester& operator=(const PortTester&) = delete;
    virtual ~PortTester() = default;

    void StartPort(int port);
    void StopPort(int port);
    // Port index 0-7.
    void SendPacket(int port);
    void SendNextChunk(int port);
    void ProcessReceived(int port);

    void PanelButtonsOn();
    void PanelButtonsOff();

    // A transfer of the port failed with `message` while its device is there: the message
    // is shown for the first such failure only, and the port is tried again after a pause.
    void transferFailed(int port, const platform::MessageBoxRequest& message);
    // The port's device has gone: the port's test stops as a Stop click would stop it, and
    // the operator is told once.
    void portLost(int port);

private:
    bool onTransmitThread() const { return transmit_ != nullptr; }
    // For a transmit-thread tester: waits until the port may send again. False when the
    // session stopped meanwhile.
    bool waitForPortTurn(int port);
    bool portStillSending(int port) const;
    std::uint32_t buildPacket(int port);
    std::uint32_t takeFileChunk(int port, std::int32_t wanted);
    void countAndShow(int port, std::uint32_t length, bool show);
    void writePacket(int port, std::unique_lock<std::mutex>& building, std::uint32_t length);

    EngineState& engine_;
    const TxThreadParams* transmit_ = nullptr;
    const std::array<platform::SerialHandle, config::kPortCount>& handles_;
    std::array<HeldMessage, config::kPortCount> held_;
    std::array<serial::CSerialPort, config::kPortCount> ports_;
    std::array<std::array<std::uint8_t, kTransmitBufferSize>, config::kPortCount> buffers_{};
};

}  // namespace brenmoor::engine
