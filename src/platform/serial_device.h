#pragma once
// One open serial port and the back ends that open them. This is what port open, the
// bounded transfers and the test threads call on; the POSIX back end and the simulated
// card both implement it completely.
//
// Handles are shared: every copy refers to the same open port. close() is explicit; after
// it every operation fails at once (returns false / Failed / Refused), so a closed handle
// can never reach the device again.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace brenmoor::platform {

enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class StopBits : std::uint8_t { One, OnePointFive, Two };
enum class RtsControl : std::uint8_t { Enable, Handshake };

// The line state a port runs with (the analogue of a device control block). DTR and RTS
// are asserted while the port is open unless RTS is given to hardware handshake.
struct LineState {
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;  // 5 to 8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool binary = true;
    bool dtrEnable = true;
    bool outxCtsFlow = false;  // transmit waits for CTS
    bool outxDsrFlow = false;  // transmit waits for DSR (Linux has no such flow control)
    RtsControl rtsControl = RtsControl::Enable;
    bool outX = false;  // XON/XOFF on transmit
    bool inX = false;   // XON/XOFF on receive
    bool txContinueOnXoff = false;
    char xonChar = 0x11;
    char xoffChar = 0x13;

    bool operator==(const LineState&) const = default;
};

// Transfer time-outs in milliseconds. A write gives up after
// writeTotalMultiplier * count + writeTotalConstant (no limit when both are 0); reads only
// ever ask for bytes already waiting, so their time-outs bound a read that cannot deliver.
struct Timeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;

    bool operator==(const Timeouts&) const = default;
};

// Purge flags, with the values the test engine passes (0x0F is all four).
enum PurgeFlag : unsigned {
    kPurgeTxAbort = 0x01,
    kPurgeRxAbort = 0x02,
    kPurgeTxClear = 0x04,
    kPurgeRxClear = 0x08,
};

// Event-mask bit for "a character has arrived".
constexpr std::uint32_t kEvRxChar = 0x0001;

// Receive errors the port has counted since it was opened (or since the device's own
// counters began): only their growth over a stretch of time means anything.
struct LineErrorCounts {
    std::uint64_t frame = 0;
    std::uint64_t parity = 0;
    std::uint64_t overrun = 0;  // characters lost because the UART or the input queue was full
    std::uint64_t brk = 0;

    bool operator==(const LineErrorCounts&) const = default;
};

enum class IoStatus {
    Completed,  // the whole transfer was done
    TimedOut,   // not done within the limit; what was not taken is cancelled
    Failed,     // refused at once, or the device failed or went away
};

enum class WaitStatus {
    Completed,  // an event in the mask occurred, or the mask was changed (mask reported 0)
    Refused,    // the wait could not start (mask 0, handle closed): nothing is pending
    DeviceGone, // the device hung up or was unplugged; later waits report it again at once
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Requested driver queue sizes in bytes; true when the device can hold them.
    virtual bool setupQueues(std::size_t inputBytes, std::size_t outputBytes) = 0;
    virtual bool getLineState(LineState& state) = 0;
    // True when the device took every field; a field it cannot apply makes it false.
    virtual bool setLineState(const LineState& state) = 0;
    virtual bool setTimeouts(const Timeouts& timeouts) = 0;
    virtual bool purge(unsigned purgeFlags) = 0;

    // Sets the event mask. Any change completes a pending waitEvent(), which then reports
    // the mask 0; setting 0 is how another thread ends a wait.
    virtual bool setEventMask(std::uint32_t mask) = 0;
    // Blocks until an event of the mask occurs (level-triggered: characters already
    // waiting complete it at once) or the mask changes. One waiter at a time.
    virtual WaitStatus waitEvent(std::uint32_t& occurred) = 0;

    // Clears the line error state and reports the number of received bytes waiting.
    virtual bool clearErrors(std::uint32_t& bytesWaiting) = 0;

    // Writes one packet of `count` bytes, paced to the line: what a write accepts is never
    // far ahead of what the line has carried.
    //  - It first waits for room: until the device holds at most pacedQueueAllowance(count,
    //    the line's character time) characters the line has not yet carried (the packet's
    //    own length, or 2 ms of line time on a fast line).
    //  - It then queues all `count` bytes and completes; it does not wait for them to
    //    leave the line. `done` receives the bytes accepted. A count of 0 completes at once.
    //  - The whole call is bounded by pacedWriteBound(limit, time-outs, the line's
    //    character time, characters queued at the start, count), never more than `limit`.
    //    Timed out while still waiting for room, nothing of this packet was written:
    //    TimedOut with done 0, and nothing is discarded (earlier packets were counted as
    //    sent and stay). Timed out with part of it queued, at most this packet's bytes are
    //    discarded (with what the device cannot tell apart from them: the few earlier
    //    characters held by the same stall).
    // So a healthy line never times out, and a stalled one (flow control held, a peer that
    // stopped reading) reports TimedOut within a bound derived from its rate and queue.
    virtual IoStatus write(const std::uint8_t* data, std::size_t count,
                           std::chrono::milliseconds limit, std::size_t& done) = 0;
    // Reads up to count bytes, waiting at most `limit`.
    virtual IoStatus read(std::uint8_t* buffer, std::size_t count,
                          std::chrono::milliseconds limit, std::size_t& done) = 0;

    // The receive error counters; false when the device keeps none.
    virtual bool lineErrorCounts(LineErrorCounts& counts) = 0;

    // A request to the card's driver (codes in driver_requests.h) with its input block.
    virtual bool deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) = 0;

    // True once the device has hung up or been unplugged.
    virtual bool isGone() const = 0;

    // Releases the port: pending output is discarded so closing never waits for it.
    virtual void close() = 0;
    virtual bool isClosed() const = 0;
};

using SerialHandle = std::shared_ptr<SerialDevice>;

enum class OpenFailure { None, Absent, Busy, NotATty, NotPermitted, Other };

struct OpenError {
    OpenFailure kind = OpenFailure::None;
    std::string detail;  // why, for the operator: the port-open message shows it as its detail
};

class SerialBackend {
public:
    virtual ~SerialBackend() = default;
    // Opens a device exclusively. Returns null and fills `error` when it cannot.
    virtual SerialHandle open(const std::string& device, OpenError& error) = 0;
};

}  // namespace brenmoor::platform
