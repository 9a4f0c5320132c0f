#pragma once
// An open tty (a UART's /dev/ttyS*, a USB adapter, a pty slave) as a SerialDevice.
//
// The descriptor is non-blocking and raw; every wait is a poll bounded by its deadline,
// and two eventfds wake a waiting thread: one when the event mask changes, one (never
// drained) when the port is being closed. A write waits for the line to carry what is
// queued (TIOCOUTQ) before it adds its packet, so the kernel never holds much more than a
// packet ahead of the line. close() wakes every call in progress, waits for them to leave,
// then flushes the output, clears the loop bit and the exclusive lock, and releases the
// descriptor, so it never blocks on output that cannot drain and leaves the port free.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "platform/device_extras.h"
#include "platform/posix_poll.h"
#include "platform/serial_device.h"
#include "platform/unique_fd.h"

namespace brenmoor::platform {

struct PosixPort {
    UniqueFd tty;
    UniqueFd maskWake;
    UniqueFd closeWake;
    bool pseudoTerminal = false;
    std::string receiveTrigger;  // sysfs attribute, empty when the port has none
    DeviceExtras extras;
    LineState line;  // as found at open
};

class PosixSerialDevice : public SerialDevice {
public:
    explicit PosixSerialDevice(PosixPort port);
    ~PosixSerialDevice() override;

    bool setupQueues(std::size_t inputBytes, std::size_t outputBytes) override;
    bool getLineState(LineState& state) override;
    bool setLineState(const LineState& state) override;
    bool setTimeouts(const Timeouts& timeouts) override;
    bool purge(unsigned purgeFlags) override;
    bool setEventMask(std::uint32_t mask) override;
    WaitStatus waitEvent(std::uint32_t& occurred) override;
    bool clearErrors(std::uint32_t& bytesWaiting) override;
    // The driver's interrupt counters (TIOCGICOUNT); a pseudo-terminal has none.
    bool lineErrorCounts(LineErrorCounts& counts) override;
    IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                   std::size_t& done) override;
    IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                  std::size_t& done) override;
    bool deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) override;
    bool isGone() const override;
    void close() override;
    bool isClosed() const override;

    // The card extras this port honours, found when it was opened.
    const DeviceExtras& extras() const { return port_.extras; }

private:
    class Call;

    int fd() const { return port_.tty.get(); }
    // A failed call's errno: EIO means the tty was hung up.
    void noteFailure(int error);
    // The write itself, once it holds the write turn.
    IoStatus pacedWrite(const std::uint8_t* data, std::size_t count, std::chrono::steady_clock::time_point start,
                        std::chrono::milliseconds limit, const Timeouts& timeouts, std::chrono::nanoseconds tick,
                        std::size_t& done);
    // Characters written but not yet carried by the line.
    bool outputQueued(std::size_t& queued);
    // A write ended by a hang-up, a close or a failed wait.
    IoStatus abandonWrite(PollOutcome outcome);
    std::chrono::steady_clock::time_point deadlineFor(std::chrono::milliseconds limit, std::uint32_t multiplier,
                                                      std::uint32_t constant, std::size_t count) const;

    PosixPort port_;
    std::atomic<bool> gone_{false};

    mutable std::mutex mutex_;  // guards everything below
    std::condition_variable callsDone_;
    std::condition_variable writeTurnFree_;
    bool writing_ = false;  // one write at a time, so packets never interleave
    bool closed_ = false;
    int callsInProgress_ = 0;
    bool waiting_ = false;
    std::uint32_t eventMask_ = 0;
    std::uint64_t maskChanges_ = 0;
    LineState line_;
    Timeouts timeouts_;
};

}  // namespace brenmoor::platform
