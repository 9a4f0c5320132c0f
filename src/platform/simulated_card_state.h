#pragma once
// The state of the simulated card shared by the card and its open handles: its clock, its
// ports with their wiring and faults, and the movement of characters along the lines.
// One mutex guards all of it; each open port has its own condition so that a change on
// one port wakes only the threads that wait on it or on the ports it feeds.

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
    std::size_t txCapacity = kSimulatedDefaultQueue;
    std::deque<std::uint8_t> rx;
    std::deque<std::uint8_t> tx;
    SimulatedTransmitter transmitter;
    std::uint32_t eventMask = 0;
    std::uint64_t maskChanges = 0;
    bool waiting = false;
    bool writerActive = false;
    bool internalLoopback = false;
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

    explicit SimulatedCardState(bool virtualClock);

    std::mutex mutex;

    // Everything below is called with `mutex` held.
    Nanos now() const;
    void advance(Nanos step);
    SimulatedPort& port(int comNumber);
    const SimulatedPort* findPort(int comNumber) const;

    // Moves every character that has finished by `now` to where its port's wiring takes it.
    void settle(Nanos now);
    // Appends bytes to a port's transmit queue; the caller has checked the room.
    void queueForTransmit(int comNumber, const std::uint8_t* data, std::size_t count, Nanos now);
    void setWriteStalled(int comNumber, bool stalled, Nanos now);
    void lineStateChanged(int comNumber, Nanos now);
    void setInternalLoopback(int comNumber, bool on);

    // When the next character reaches the port's input, or nullopt when none is on its way.
    std::optional<Nanos> nextArrival(int comNumber) const;
    // When a thread waiting for characters on the port should look again: once the
    // characters arriving within kReceiveCoalescing of the next one are all in, as a UART
    // hands over a FIFO's worth per interrupt rather than one character at a time.
    std::optional<Nanos> receiveWake(int comNumber) const;
    // When the port's transmit queue will have room for `needed` more bytes.
    std::optional<Nanos> roomTime(int comNumber, std::size_t needed, Nanos now) const;

    // Sleeps on one of an open port's conditions until `wake` (a clock reading) or a
    // change. On the virtual clock only a change or advance() wakes it.
    void waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& condition, std::optional<Nanos> wake);
    // For changes of a port's settings, wiring or state: everyone waiting on it.
    void notifyPort(int comNumber);
    // The same for the port and the other end of its null-modem pair.
    void notifyLine(int comNumber);
    void notifyAll();

private:
    void transmitFinished(int comNumber, SimulatedPort& from, std::size_t count);
    // The open port that receives what `comNumber` transmits (null: nobody, bytes lost).
    SimulatedOpenPort* destinationOf(int comNumber, int& destinationCom);
    // The ports whose transmitters feed `comNumber`'s input.
    std::array<int, 2> sourcesOf(int comNumber) const;
    bool transmitting(const SimulatedPort& port) const;

    const bool virtualClock_;
    Nanos virtualNow_{0};
    std::map<int, SimulatedPort> ports_;
};

}  // namespace brenmoor::platform
