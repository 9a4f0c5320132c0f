#include "platform/simulated_device.h"

#include <algorithm>

#include "platform/driver_requests.h"
#include "platform/line_timing.h"
#include "platform/transfer_bound.h"

namespace brenmoor::platform {
namespace {

using Nanos = SimulatedCardState::Nanos;

constexpr std::uint32_t kHighestBaud = 921600;

bool valid(const LineState& state) {
    return state.baudRate > 0 && state.baudRate <= kHighestBaud && state.byteSize >= 5 && state.byteSize <= 8;
}

Nanos deadline(Nanos now, std::chrono::milliseconds limit, std::uint32_t multiplier, std::uint32_t constant,
               std::size_t count) {
    return now + std::chrono::duration_cast<Nanos>(transferBound(limit, multiplier, constant, count));
}

}  // namespace

SimulatedDevice::SimulatedDevice(std::shared_ptr<SimulatedCardState> card, int comNumber,
                                 std::shared_ptr<SimulatedOpenPort> open)
    : card_(std::move(card)), comNumber_(comNumber), open_(std::move(open)) {}

SimulatedDevice::~SimulatedDevice() { close(); }

std::unique_lock<std::mutex> SimulatedDevice::lockSettled(Nanos& now) {
    std::unique_lock lock(card_->mutex);
    now = card_->now();
    card_->settle(now);
    return lock;
}

bool SimulatedDevice::setupQueues(std::size_t inputBytes, std::size_t outputBytes) {
    std::lock_guard lock(card_->mutex);
    if (!usable()) return false;
    if (inputBytes == 0 || outputBytes == 0 || inputBytes > kSimulatedMaxQueue || outputBytes > kSimulatedMaxQueue)
        return false;
    // Only the input queue takes the size asked for; the output buffer is a tty's, of a
    // fixed size.
    open_->rxCapacity = inputBytes;
    card_->inputChanged(comNumber_, card_->now());
    card_->notifyPort(comNumber_);
    return true;
}

bool SimulatedDevice::getLineState(LineState& state) {
    std::lock_guard lock(card_->mutex);
    if (!usable()) return false;
    state = port().line;
    return true;
}

bool SimulatedDevice::setLineState(const LineState& state) {
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable() || !valid(state)) return false;
    port().line = state;
    card_->lineStateChanged(comNumber_, now);
    return true;
}

bool SimulatedDevice::setTimeouts(const Timeouts& timeouts) {
    std::lock_guard lock(card_->mutex);
    if (!usable()) return false;
    port().timeouts = timeouts;
    return true;
}

bool SimulatedDevice::purge(unsigned purgeFlags) {
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable()) return false;
    if (purgeFlags & (kPurgeTxAbort | kPurgeTxClear)) card_->unqueueLast(comNumber_, open_->tx.size(), now);
    if (purgeFlags & (kPurgeRxAbort | kPurgeRxClear)) {
        open_->rx.clear();
        card_->inputChanged(comNumber_, now);
    }
    card_->notifyPort(comNumber_);
    return true;
}

bool SimulatedDevice::setEventMask(std::uint32_t mask) {
    std::lock_guard lock(card_->mutex);
    if (!usable()) return false;
    open_->eventMask = mask;
    ++open_->maskChanges;
    open_->arrivals.notify_all();
    return true;
}

WaitStatus SimulatedDevice::waitEvent(std::uint32_t& occurred) {
    occurred = 0;
    Nanos now;
    auto lock = lockSettled(now);
    if (open_->gone) return WaitStatus::DeviceGone;
    if (open_->closed || open_->eventMask == 0 || open_->waiting) return WaitStatus::Refused;
    const std::uint64_t maskChanges = open_->maskChanges;
    open_->waiting = true;
    WaitStatus status = WaitStatus::Completed;
    for (;;) {
        card_->settle(card_->now());
        if (open_->gone) {
            status = WaitStatus::DeviceGone;
            break;
        }
        if (open_->closed || open_->maskChanges != maskChanges) break;
        if ((open_->eventMask & kEvRxChar) && !open_->rx.empty()) {
            occurred = kEvRxChar;
            break;
        }
        const bool wantsCharacters = (open_->eventMask & kEvRxChar) != 0;
        card_->waitFor(lock, open_->arrivals, wantsCharacters ? card_->receiveWake(comNumber_) : std::nullopt);
    }
    open_->waiting = false;
    return status;
}

bool SimulatedDevice::clearErrors(std::uint32_t& bytesWaiting) {
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable()) return false;
    bytesWaiting = static_cast<std::uint32_t>(open_->rx.size());
    return true;
}

bool SimulatedDevice::lineErrorCounts(LineErrorCounts& counts) {
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable()) return false;
    counts = open_->lineErrors;
    return true;
}

IoStatus SimulatedDevice::waitForOutput(std::unique_lock<std::mutex>& lock, std::size_t queued, Nanos giveUp) {
    for (;;) {
        const Nanos now = card_->now();
        card_->settle(now);
        if (!usable()) return IoStatus::Failed;
        if (open_->tx.size() <= queued) return IoStatus::Completed;
        if (now >= giveUp) return IoStatus::TimedOut;
        const std::optional<Nanos> wake = card_->queuedFallsTo(comNumber_, queued, now);
        card_->waitFor(lock, open_->room, wake ? std::min(*wake, giveUp) : giveUp);
    }
}

IoStatus SimulatedDevice::write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                                std::size_t& done) {
    done = 0;
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable()) return IoStatus::Failed;
    if (count == 0) return IoStatus::Completed;
    const Nanos ceiling = deadline(now, limit, 0, 0, count);

    // Writes on one port are served one at a time, so packets never interleave.
    while (open_->writerActive) {
        if (!usable()) return IoStatus::Failed;
        if (card_->now() >= ceiling) return IoStatus::TimedOut;
        card_->waitFor(lock, open_->room, ceiling);
    }
    open_->writerActive = true;
    now = card_->now();
    card_->settle(now);
    const auto bound = pacedWriteBound(limit, port().timeouts, characterTime(port().line), open_->tx.size(), count);
    const Nanos giveUp = std::min(ceiling, now + std::chrono::duration_cast<Nanos>(bound));

    // First the line catches up until no more than about this packet's length is queued,
    // so what a write accepts is never far ahead of the line. Timing out here leaves the
    // earlier packets, already counted as sent, on their way.
    IoStatus status = waitForOutput(lock, pacedQueueAllowance(count, characterTime(port().line)), giveUp);
    while (status == IoStatus::Completed) {
        done += card_->queueForTransmit(comNumber_, data + done, count - done, card_->now());
        if (done == count) break;
        // A packet longer than the buffer waits for the room a tty reports.
        status = waitForOutput(lock, kSimulatedWakeupChars - 1, giveUp);
        // Only this packet's bytes still queued are taken back; what the line carried of
        // it stays counted.
        if (status == IoStatus::TimedOut) done -= card_->unqueueLast(comNumber_, done, card_->now());
    }
    open_->writerActive = false;
    open_->room.notify_all();
    return status;
}

IoStatus SimulatedDevice::read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                               std::size_t& done) {
    done = 0;
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable() || port().readError) return IoStatus::Failed;
    if (count == 0) return IoStatus::Completed;
    const Timeouts& timeouts = port().timeouts;
    const Nanos giveUp = deadline(now, limit, timeouts.readTotalMultiplier, timeouts.readTotalConstant, count);
    for (;;) {
        now = card_->now();
        card_->settle(now);
        if (!usable()) return IoStatus::Failed;
        if (open_->rx.size() >= count || now >= giveUp) break;
        const std::optional<Nanos> arrival = card_->nextArrival(comNumber_);
        card_->waitFor(lock, open_->arrivals, arrival ? std::min(*arrival, giveUp) : giveUp);
    }
    done = std::min(count, open_->rx.size());
    std::copy_n(open_->rx.begin(), done, buffer);
    open_->rx.erase(open_->rx.begin(), open_->rx.begin() + static_cast<std::ptrdiff_t>(done));
    card_->inputChanged(comNumber_, now);
    return done == count ? IoStatus::Completed : IoStatus::TimedOut;
}

bool SimulatedDevice::deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) {
    Nanos now;
    auto lock = lockSettled(now);
    if (!usable()) return false;
    SimulatedPort& cardPort = port();
    if (cardPort.refuseAllRequests || cardPort.refusedRequests.contains(code)) return false;
    if (input == nullptr || length < kUartOptionBlockSize) return false;
    if (code != IOCTL_SET_UART_OPTIONS && code != IOCTL_SET_LOOPBACK) return false;
    if (code == IOCTL_SET_UART_OPTIONS) {
        UartOptionBytes block;
        std::copy_n(input, kUartOptionBlockSize, block.begin());
        cardPort.uartOptions = block;
    }
    card_->setInternalLoopback(comNumber_, input[kOptLoopback] == kLoopbackOn, now);
    return true;
}

bool SimulatedDevice::isGone() const {
    std::lock_guard lock(card_->mutex);
    return open_->gone;
}

void SimulatedDevice::close() {
    Nanos now;
    auto lock = lockSettled(now);
    if (open_->closed) return;
    open_->closed = true;
    open_->tx.clear();
    open_->rx.clear();
    SimulatedPort& cardPort = port();
    if (cardPort.open == open_) cardPort.open.reset();
    open_->notifyEveryone();
    card_->wiringChanged(now);
}

bool SimulatedDevice::isClosed() const {
    std::lock_guard lock(card_->mutex);
    return open_->closed;
}

}  // namespace brenmoor::platform
