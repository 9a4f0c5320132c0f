#include "platform/posix_serial_device.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/driver_requests.h"
#include "platform/line_timing.h"
#include "platform/posix_card_requests.h"
#include "platform/posix_line_rate.h"
#include "platform/posix_line_state.h"
#include "platform/posix_poll.h"
#include "platform/transfer_bound.h"

namespace brenmoor::platform {
namespace {

// The line discipline's fixed buffer: no call sizes a tty's queues.
constexpr std::size_t kKernelQueueBytes = 4096;

// A line that does not drain (flow control held) is looked at no more often than this,
// however fast its rate.
constexpr std::chrono::microseconds kShortestRoomWait{200};

void signal(int eventFd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(eventFd, &one, sizeof one);
}

void drain(int eventFd) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(eventFd, &count, sizeof count);
}

// Asserts or drops DTR and RTS as the state asks; with RTS handshake the driver drives RTS.
bool setModemLines(int fd, const LineState& state) {
    int raise = 0;
    int drop = 0;
    (state.dtrEnable ? raise : drop) |= TIOCM_DTR;
    if (state.rtsControl == RtsControl::Enable) raise |= TIOCM_RTS;
    for (const auto& [request, bits] : {std::pair{TIOCMBIS, raise}, std::pair{TIOCMBIC, drop}}) {
        if (bits == 0 || ::ioctl(fd, request, &bits) == 0) continue;
        // A pseudo-terminal has no modem lines to set.
        if (errno != ENOTTY && errno != EINVAL) return false;
    }
    return true;
}

}  // namespace

// A call in progress: while one exists the descriptors stay open. It fails to start once
// the port is closed.
class PosixSerialDevice::Call {
public:
    explicit Call(PosixSerialDevice& device) : device_(device) {
        std::lock_guard lock(device_.mutex_);
        started_ = !device_.closed_;
        if (started_) ++device_.callsInProgress_;
    }
    ~Call() {
        if (!started_) return;
        std::lock_guard lock(device_.mutex_);
        if (--device_.callsInProgress_ == 0) device_.callsDone_.notify_all();
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    explicit operator bool() const { return started_; }

private:
    PosixSerialDevice& device_;
    bool started_ = false;
};

PosixSerialDevice::PosixSerialDevice(PosixPort port) : port_(std::move(port)), line_(port_.line) {}

PosixSerialDevice::~PosixSerialDevice() { close(); }

void PosixSerialDevice::noteFailure(int error) {
    if (error == EIO) gone_ = true;
}

std::chrono::steady_clock::time_point PosixSerialDevice::deadlineFor(std::chrono::milliseconds limit,
                                                                     std::uint32_t multiplier, std::uint32_t constant,
                                                                     std::size_t count) const {
    return std::chrono::steady_clock::now() + transferBound(limit, multiplier, constant, count);
}

bool PosixSerialDevice::setupQueues(std::size_t inputBytes, std::size_t outputBytes) {
    Call call(*this);
    return call && inputBytes > 0 && outputBytes > 0 && inputBytes <= kKernelQueueBytes &&
           outputBytes <= kKernelQueueBytes;
}

bool PosixSerialDevice::getLineState(LineState& state) {
    Call call(*this);
    if (!call) return false;
    termios settings{};
    std::uint32_t rate = 0;
    if (::tcgetattr(fd(), &settings) != 0 || !readLineRate(fd(), rate)) {
        noteFailure(errno);
        return false;
    }
    std::lock_guard lock(mutex_);
    state = lineStateOf(settings, rate, line_, port_.pseudoTerminal);
    return true;
}

bool PosixSerialDevice::setLineState(const LineState& state) {
    Call call(*this);
    if (!call) return false;
    termios wanted{};
    if (::tcgetattr(fd(), &wanted) != 0) {
        noteFailure(errno);
        return false;
    }
    if (!applyLineState(state, wanted)) return false;
    if (::tcsetattr(fd(), TCSANOW, &wanted) != 0) {
        noteFailure(errno);
        return false;
    }
    // tcsetattr succeeds when any of the change was applied: compare what the tty kept.
    termios got{};
    if (::tcgetattr(fd(), &got) != 0) {
        noteFailure(errno);
        return false;
    }
    const bool linesSet = setModemLines(fd(), state);
    {
        std::lock_guard lock(mutex_);
        line_ = state;
    }
    return keptSettings(wanted, got, port_.pseudoTerminal) && linesSet;
}

bool PosixSerialDevice::setTimeouts(const Timeouts& timeouts) {
    Call call(*this);
    if (!call) return false;
    std::lock_guard lock(mutex_);
    timeouts_ = timeouts;
    return true;
}

bool PosixSerialDevice::purge(unsigned purgeFlags) {
    Call call(*this);
    if (!call) return false;
    const bool output = (purgeFlags & (kPurgeTxAbort | kPurgeTxClear)) != 0;
    const bool input = (purgeFlags & (kPurgeRxAbort | kPurgeRxClear)) != 0;
    if (!output && !input) return true;
    if (::tcflush(fd(), output && input ? TCIOFLUSH : output ? TCOFLUSH : TCIFLUSH) == 0) return true;
    noteFailure(errno);
    return false;
}

bool PosixSerialDevice::setEventMask(std::uint32_t mask) {
    Call call(*this);
    if (!call) return false;
    std::lock_guard lock(mutex_);
    eventMask_ = mask;
    ++maskChanges_;
    signal(port_.maskWake.get());
    return true;
}

WaitStatus PosixSerialDevice::waitEvent(std::uint32_t& occurred) {
    occurred = 0;
    Call call(*this);
    if (!call) return WaitStatus::Refused;
    if (gone_) return WaitStatus::DeviceGone;
    std::uint32_t mask = 0;
    std::uint64_t maskChanges = 0;
    {
        std::lock_guard lock(mutex_);
        if (eventMask_ == 0 || waiting_) return WaitStatus::Refused;
        mask = eventMask_;
        maskChanges = maskChanges_;
        waiting_ = true;
    }
    const bool wantsCharacters = (mask & kEvRxChar) != 0;
    WaitStatus status = WaitStatus::Completed;
    for (;;) {
        if (wantsCharacters) {
            int waiting = 0;
            if (::ioctl(fd(), FIONREAD, &waiting) != 0) {
                gone_ = true;
                status = WaitStatus::DeviceGone;
                break;
            }
            if (waiting > 0) {
                occurred = kEvRxChar;
                break;
            }
        }
        const PollOutcome outcome =
            pollDevice(fd(), wantsCharacters ? POLLIN : 0, port_.maskWake.get(), port_.closeWake.get(), std::nullopt);
        if (outcome == PollOutcome::HungUp || outcome == PollOutcome::Failed) {
            gone_ = true;
            status = WaitStatus::DeviceGone;
            break;
        }
        if (outcome == PollOutcome::Woken) {
            drain(port_.maskWake.get());
            std::lock_guard lock(mutex_);
            if (closed_ || maskChanges_ != maskChanges) break;
        }
    }
    std::lock_guard lock(mutex_);
    waiting_ = false;
    return status;
}

bool PosixSerialDevice::clearErrors(std::uint32_t& bytesWaiting) {
    Call call(*this);
    if (!call) return false;
    int waiting = 0;
    if (::ioctl(fd(), FIONREAD, &waiting) != 0) {
        noteFailure(errno);
        return false;
    }
    bytesWaiting = static_cast<std::uint32_t>(waiting);
    return true;
}

bool PosixSerialDevice::lineErrorCounts(LineErrorCounts& counts) {
    Call call(*this);
    if (!call) return false;
    serial_icounter_struct counters{};
    if (::ioctl(fd(), TIOCGICOUNT, &counters) != 0) return false;
    counts.frame = static_cast<std::uint64_t>(counters.frame);
    counts.parity = static_cast<std::uint64_t>(counters.parity);
    counts.overrun = static_cast<std::uint64_t>(counters.overrun) + static_cast<std::uint64_t>(counters.buf_overrun);
    counts.brk = static_cast<std::uint64_t>(counters.brk);
    return true;
}

IoStatus PosixSerialDevice::write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                                  std::size_t& done) {
    done = 0;
    Call call(*this);
    if (!call || gone_) return IoStatus::Failed;
    if (count == 0) return IoStatus::Completed;
    const auto start = std::chrono::steady_clock::now();
    Timeouts timeouts;
    std::chrono::nanoseconds tick{};
    {
        std::unique_lock lock(mutex_);
        // Another write holds the turn for at most its own bound, which the caller's
        // limit covers.
        if (!writeTurnFree_.wait_until(lock, start + transferBound(limit, 0, 0, count),
                                       [this] { return !writing_ || closed_; }))
            return IoStatus::TimedOut;
        if (closed_) return IoStatus::Failed;
        writing_ = true;
        timeouts = timeouts_;
        // A tty found hung up (B0) has no rate until one is set: pace it as if it had none.
        if (line_.baudRate != 0) tick = characterTime(line_);
    }
    const IoStatus status = pacedWrite(data, count, start, limit, timeouts, tick, done);
    std::lock_guard lock(mutex_);
    writing_ = false;
    writeTurnFree_.notify_one();
    return status;
}

IoStatus PosixSerialDevice::pacedWrite(const std::uint8_t* data, std::size_t count,
                                       std::chrono::steady_clock::time_point start, std::chrono::milliseconds limit,
                                       const Timeouts& timeouts, std::chrono::nanoseconds tick, std::size_t& done) {
    std::size_t queued = 0;
    if (!outputQueued(queued)) return IoStatus::Failed;
    const auto deadline = start + pacedWriteBound(limit, timeouts, tick, queued, count);

    // Room first: a tty takes about 4 KB ahead of the line, and a writer that fills it
    // then waits for the whole buffer to drain. Writing only once at most about a packet
    // is still queued keeps what was accepted close behind the line.
    const std::size_t allowance = pacedQueueAllowance(count, tick);
    while (queued > allowance) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return IoStatus::TimedOut;  // nothing of this packet was written
        const auto drain = std::max<std::chrono::nanoseconds>(tick * static_cast<std::int64_t>(queued - allowance),
                                                              kShortestRoomWait);
        const PollOutcome outcome = pollDevice(fd(), 0, port_.closeWake.get(), -1, std::min(deadline, now + drain));
        if (outcome != PollOutcome::TimedOut) return abandonWrite(outcome);
        if (!outputQueued(queued)) return IoStatus::Failed;
    }

    while (done < count) {
        const ssize_t n = ::write(fd(), data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            noteFailure(errno);
            return IoStatus::Failed;
        }
        const PollOutcome outcome = pollDevice(fd(), POLLOUT, port_.closeWake.get(), -1, deadline);
        if (outcome == PollOutcome::Ready) continue;
        if (outcome != PollOutcome::TimedOut) return abandonWrite(outcome);
        // Earlier packets were counted as sent: with nothing of this one queued they stay.
        if (done == 0) return IoStatus::TimedOut;
        // Part of this packet would otherwise go out after the caller gave up on it. A tty
        // can only flush its whole queue, which here holds at most the allowance of earlier
        // characters besides this packet: they are held by the same stall that timed this
        // write out, which is reported, and the receiver misses them as it misses this one.
        ::tcflush(fd(), TCOFLUSH);
        return IoStatus::TimedOut;
    }
    return IoStatus::Completed;
}

bool PosixSerialDevice::outputQueued(std::size_t& queued) {
    int count = 0;
    if (::ioctl(fd(), TIOCOUTQ, &count) != 0) {
        noteFailure(errno);
        return false;
    }
    queued = static_cast<std::size_t>(std::max(count, 0));
    return true;
}

IoStatus PosixSerialDevice::abandonWrite(PollOutcome outcome) {
    if (outcome == PollOutcome::HungUp) gone_ = true;
    return IoStatus::Failed;
}

IoStatus PosixSerialDevice::read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                                 std::size_t& done) {
    done = 0;
    Call call(*this);
    if (!call || gone_) return IoStatus::Failed;
    if (count == 0) return IoStatus::Completed;
    std::chrono::steady_clock::time_point deadline;
    {
        std::lock_guard lock(mutex_);
        deadline = deadlineFor(limit, timeouts_.readTotalMultiplier, timeouts_.readTotalConstant, count);
    }
    while (done < count) {
        const ssize_t n = ::read(fd(), buffer + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) {
            // With VMIN 1 an empty read means the tty was hung up.
            gone_ = true;
            return IoStatus::Failed;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN) {
            noteFailure(errno);
            return IoStatus::Failed;
        }
        const PollOutcome outcome = pollDevice(fd(), POLLIN, port_.closeWake.get(), -1, deadline);
        if (outcome == PollOutcome::TimedOut) return IoStatus::TimedOut;
        if (outcome == PollOutcome::HungUp) gone_ = true;
        if (outcome != PollOutcome::Ready) return IoStatus::Failed;
    }
    return IoStatus::Completed;
}

bool PosixSerialDevice::deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) {
    Call call(*this);
    if (!call || gone_ || input == nullptr || length < kUartOptionBlockSize) return false;
    switch (code) {
        case IOCTL_SET_UART_OPTIONS:
            return applyUartOptions(fd(), port_.receiveTrigger, input);
        case IOCTL_SET_LOOPBACK:
            return setInternalLoopback(fd(), input[kOptLoopback] == kLoopbackOn);
        default:
            return false;
    }
}

bool PosixSerialDevice::isGone() const { return gone_; }

void PosixSerialDevice::close() {
    {
        std::unique_lock lock(mutex_);
        if (closed_) return;
        closed_ = true;
        signal(port_.closeWake.get());
        writeTurnFree_.notify_all();
        callsDone_.wait(lock, [this] { return callsInProgress_ == 0; });
    }
    // Discard what is still queued so closing does not wait for it to drain, and leave
    // the port as the next program expects to find it: not looped back, not exclusive
    // (a tty that outlives this descriptor, such as a pty, would refuse every other user).
    ::tcflush(fd(), TCOFLUSH);
    setInternalLoopback(fd(), false);
    ::ioctl(fd(), TIOCNXCL);
    port_.tty.reset();
    port_.maskWake.reset();
    port_.closeWake.reset();
}

bool PosixSerialDevice::isClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace brenmoor::platform
