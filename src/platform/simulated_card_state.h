#pragma once
// The state of the simulated card shared by the card and its open handles: its clock, its
// ports with their wiring and faults, and the movement of characters along the lines.
// One mutex guards all of it; each open port has its own condition so that a change on
// one port wakes only the threads that wait on it or on the ports it feeds.
//
// Each port buffers its output as a kernel tty does: it accepts kSimulatedOutputBuffer
// bytes and then would block, and it reports room (as poll's POLLOUT) only while fewer
// than kSimulatedWakeupChars are queued.
//
// Flow control, on the wiring a null-modem cable gives (each end's RTS drives the other's
// CTS; a loopback plug, and the UART's internal loopback, tie a port's RTS to its own
// CTS; nothing plugged in leaves CTS low). A port's input is throttled when fewer than
// kSimulatedThrottleRoom bytes of its queue are free and released once no more than that
// many are waiting, as the kernel does (a queue under four times that uses a quarter of
// its size instead). While throttled, a port with RTS handshake drops
// RTS and one with XON/XOFF on receive sends XOFF (XON when released), ahead of its queued
// data and even while its own output is held. A port with CTS output flow sends only while
// CTS is up; one with XON/XOFF on transmit stops on a received XOFF and goes on at XON,
// and takes neither into its input. Output flow is looked at before each character; the
// UART's transmit FIFO, which lets a few more characters out after the line was held, is
// left out. DSR output flow is not modelled (the kernel has none).

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "platform/driver_requests.h"
#include "platform/serial_device.h"
#include "platform/simulated_transmitter.h"

namespace brenmoor::platform {

using UartOptionBytes = std::array<std::uint8_t, kUartOptionBlockSize>;

inline constexpr std::size_t kSimulatedDefaultQueue = 4096;
inline constexpr std::size_t kSimulatedMaxQueue = 65536;
inline constexpr std::size_t kSimulatedOutputBuffer = 4095;
inline constexpr std::size_t kSimulatedWakeupChars = 256;
inline constexpr std::size_t kSimulatedThrottleRoom = 128;
// Line output kept per port for inspection; older bytes are dropped beyond it.
inline constexpr std::size_t kSimulatedLineOutputKept = 1 << 20;
inline constexpr std::chrono::nanoseconds kReceiveCoalescing = std::chrono::milliseconds(1);

// One open of a port: what a handle refers to. A new open gets a fresh one, so a handle
// that was closed or hung up never reaches the port again.
struct SimulatedOpenPort {
    std::condition_variable arrivals;  // receive waits and reads sleep on it
    std::condition_variable room;      // writes sleep on it
    void notifyEveryone() {
        arrivals.notify_all();
        room.notify_all();
    }
    bool closed = false;
    bool gone = false;
    std::size_t rxCapacity = kSimulatedDefaultQueue;
    std::deque<std::uint8_t> rx;
    std::deque<std::uint8_t> tx;
    std::optional<std::uint8_t> flowCharacter;  // an XON or XOFF waiting to go out first
    bool throttled = false;                     // the input queue asked its sender to hold
    bool xoffReceived = false;
    bool sending = false;  // the transmitter is busy: characters leave back to back
    SimulatedTransmitter transmitter;
    std::uint32_t eventMask = 0;
    std::uint64_t maskChanges = 0;
    bool waiting = false;
    bool writerActive = false;
    bool internalLoopback = false;
    LineErrorCounts lineErrors;
};

enum class SimulatedWiring { None, LoopbackPlug, NullModem };

// A port of the card. It lives from its first use to the end of the card, so its line
// state, wiring and faults survive a close.
struct SimulatedPort {
    LineState line;
    Timeouts timeouts;
    SimulatedWiring wiring = SimulatedWiring::None;
    int peer = 0;  // the other COM number of a null-modem pair
    bool absent = false;
    bool busy = false;
    bool writeStalled = false;
    bool readError = false;
    bool refuseAllRequests = false;
    std::set<std::uint32_t> refusedRequests;
    std::optional<UartOptionBytes> uartOptions;
    std::deque<std::uint8_t> lineOutput;
    std::uint64_t lineOutputCount = 0;
    std::shared_ptr<SimulatedOpenPort> open;
};

class SimulatedCardState {
public:
    using Nanos = std::chrono::nanoseconds;
    enum class Clock { Real, Virtual, SkipAhead };

    explicit SimulatedCardState(Clock clock);

    std::mutex mutex;

    // Everything below is called with `mutex` held.
    Nanos now() const;
    void advance(Nanos step);
    SimulatedPort& port(int comNumber);
    const SimulatedPort* findPort(int comNumber) const;

    // Moves every character that has finished by `now` to where its port's wiring takes it.
    void settle(Nanos now);
    // Appends bytes to a port's output buffer as far as it has room; returns how many.
    std::size_t queueForTransmit(int comNumber, const std::uint8_t* data, std::size_t count, Nanos now);
    // Takes back the last `count` bytes queued (fewer if fewer are still queued); returns
    // how many were taken.
    std::size_t unqueueLast(int comNumber, std::size_t count, Nanos now);
    // When no more than `count` characters will be waiting in the port's output buffer, or
    // nullopt while nothing leaves it.
    std::optional<Nanos> queuedFallsTo(int comNumber, std::size_t count, Nanos now) const;
    void setWriteStalled(int comNumber, bool stalled, Nanos now);
    void lineStateChanged(int comNumber, Nanos now);
    void setInternalLoopback(int comNumber, bool on, Nanos now);
    // After the input queue or its size changed: the port may hold its sender or let it go on.
    void inputChanged(int comNumber, Nanos now);
    // After ports opened, closed or were rewired: who sends and who holds may have changed.
    void wiringChanged(Nanos now);

    // When the next character reaches the port's input, or nullopt when none is on its way.
    std::optional<Nanos> nextArrival(int comNumber) const;
    // When a thread waiting for characters on the port should look again: once the
    // characters arriving within kReceiveCoalescing of the next one are all in, as a UART
    // hands over a FIFO's worth per interrupt rather than one character at a time.
    std::optional<Nanos> receiveWake(int comNumber) const;

    // Sleeps on one of an open port's conditions until `wake` (a clock reading) or a
    // change. On the virtual clock only a change or advance() wakes it; on the skip-ahead
    // clock the clock moves on to `wake` at once.
    void waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& condition, std::optional<Nanos> wake);
    // For changes of a port's settings, wiring or state: everyone waiting on it.
    void notifyPort(int comNumber);
    // The same for the port and the other end of its null-modem pair.
    void notifyLine(int comNumber);
    void notifyAll();

private:
    // Sends the port's next character, whose time has come.
    void sendNext(int comNumber, SimulatedPort& from);
    void deliver(int fromCom, SimulatedPort& from, std::uint8_t value);
    // When the port's last character sent finished.
    Nanos lastFinish(const SimulatedPort& port) const;
    static std::size_t throttleMark(const SimulatedOpenPort& open);
    void updateThrottle(int comNumber, Nanos at);
    // Brings the port's `sending` up to date; a transmitter that starts begins a burst at `at`.
    void refresh(int comNumber, Nanos at);
    void refreshLine(int comNumber, Nanos at);
    bool mayTransmit(int comNumber, const SimulatedPort& port) const;
    bool requestToSend(const SimulatedPort& port) const;
    bool clearToSend(int comNumber, const SimulatedPort& port) const;
    // When the port's next character finishes, or nullopt while it sends nothing.
    std::optional<Nanos> nextFinish(const SimulatedPort& port) const;
    // The open port that receives what `comNumber` transmits (null: nobody, bytes lost).
    SimulatedPort* receiverOf(int comNumber, SimulatedPort& from, int& receiverCom);
    // The ports whose transmitters feed `comNumber`'s input.
    std::array<int, 2> sourcesOf(int comNumber) const;

    const Clock clock_;
    Nanos virtualNow_{0};
    std::map<int, SimulatedPort> ports_;
};

}  // namespace brenmoor::platform
