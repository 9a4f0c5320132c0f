#pragma once
// An in-process model of the 8-port UART card, as a serial back end. It answers every COM
// name it is given ("COM4", "\\.\COM10") with one port per COM number, made on first use
// and kept, with its wiring and faults, after it is closed.
//
// Characters leave a port at the rate of its line state (start, data, parity and stop
// bits per character) and reach the other end at that moment: nowhere (no wiring), the
// port's own input (loopback plug, or the UART's internal loopback switched on by the
// driver request), or the other port of a null-modem pair. What a receiver framing
// differently takes is in line_timing.h; output buffering and flow control follow the
// kernel's tty and a 16550 (simulated_card_state.h). Faults can be injected so every
// error path of the port open and transfers can be driven in tests.
//
// The card runs on the real monotonic clock, or on a virtual one that moves only when
// advance() is called, so tests can check line timing exactly. On the skip-ahead virtual
// clock a thread that waits for the card (a write waiting for the line, a read for
// characters) moves the clock on to the moment it waits for instead of sleeping, so a
// test on one thread can run minutes of line time at once.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/simulated_card_state.h"

namespace brenmoor::platform {

class SimulatedCard : public SerialBackend {
public:
    using Clock = SimulatedCardState::Clock;

    explicit SimulatedCard(Clock clock = Clock::Real);
    SimulatedCard(const SimulatedCard&) = delete;
    SimulatedCard& operator=(const SimulatedCard&) = delete;

    SerialHandle open(const std::string& device, OpenError& error) override;

    // Wiring. Plugging a port into something new first unplugs it (and its old peer).
    void unplug(int comNumber);
    void plugLoopback(int comNumber);
    void connectNullModem(int first, int second);

    // Faults.
    void setAbsent(int comNumber, bool absent);
    void setBusy(int comNumber, bool busy);  // as if another program held the port
    void setRequestRefused(int comNumber, std::uint32_t code, bool refused);
    void setAllRequestsRefused(int comNumber, bool refused);
    // Nothing leaves the transmit queue, as with hardware flow control and a peer that never
    // raises CTS.
    void setWriteStalled(int comNumber, bool stalled);
    void setReadError(int comNumber, bool failing);
    // The port goes away under its open handle (waits report DeviceGone, transfers fail)
    // and is absent for later opens until setAbsent(comNumber, false).
    void hangUp(int comNumber);

    // Inspection and stimulus.
    // The characters the port has put on its line since the last call (internal loopback
    // keeps them off the line); at most the last kSimulatedLineOutputKept are kept.
    std::vector<std::uint8_t> takeLineOutput(int comNumber);
    std::uint64_t lineOutputCount(int comNumber);
    // Puts bytes straight into the open port's input queue; returns how many fitted.
    std::size_t inject(int comNumber, const std::vector<std::uint8_t>& bytes);
    // The open port's output buffer as a program sees a tty's: a write that may not wait
    // takes what fits; the bytes not yet carried by the line (as TIOCOUTQ counts them);
    // whether room is reported (as poll's POLLOUT).
    std::size_t writeWithoutWaiting(int comNumber, const std::vector<std::uint8_t>& bytes);
    std::size_t outputQueued(int comNumber);
    bool outputRoomReported(int comNumber);
    // The last option block the driver request delivered, as sent.
    std::optional<UartOptionBytes> uartOptions(int comNumber);
    bool internalLoopback(int comNumber);
    bool isOpen(int comNumber);
    // True while a thread is blocked in waitEvent() on the port.
    bool waitPending(int comNumber);

    // The card's clock reading.
    std::chrono::nanoseconds now();
    // Moves a virtual clock on; not for a card on the real clock.
    void advance(std::chrono::nanoseconds step);

private:
    void unwire(SimulatedPort& port);
    std::unique_lock<std::mutex> lockSettled();

    const Clock clock_;
    const std::shared_ptr<SimulatedCardState> state_;
};

}  // namespace brenmoor::platform
