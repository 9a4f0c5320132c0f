#pragma once
// An open port of the simulated card, as a SerialDevice.

#include <memory>

#include "platform/serial_device.h"
#include "platform/simulated_card_state.h"

namespace brenmoor::platform {

class SimulatedDevice : public SerialDevice {
public:
    SimulatedDevice(std::shared_ptr<SimulatedCardState> card, int comNumber, std::shared_ptr<SimulatedOpenPort> open);
    ~SimulatedDevice() override;

    bool setupQueues(std::size_t inputBytes, std::size_t outputBytes) override;
    bool getLineState(LineState& state) override;
    bool setLineState(const LineState& state) override;
    bool setTimeouts(const Timeouts& timeouts) override;
    bool purge(unsigned purgeFlags) override;
    bool setEventMask(std::uint32_t mask) override;
    WaitStatus waitEvent(std::uint32_t& occurred) override;
    bool clearErrors(std::uint32_t& bytesWaiting) override;
    bool lineErrorCounts(LineErrorCounts& counts) override;
    IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                   std::size_t& done) override;
    IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                  std::size_t& done) override;
    bool deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) override;
    bool isGone() const override;
    void close() override;
    bool isClosed() const override;

private:
    using Nanos = SimulatedCardState::Nanos;

    // Takes the lock and brings the line up to date; `usable` tells whether the handle
    // may still reach the port.
    std::unique_lock<std::mutex> lockSettled(Nanos& now);
    bool usable() const { return !open_->closed && !open_->gone; }
    // Waits until no more than `queued` characters wait in the output buffer: Completed,
    // TimedOut once `giveUp` has passed, Failed when the port went away meanwhile.
    IoStatus waitForOutput(std::unique_lock<std::mutex>& lock, std::size_t queued, Nanos giveUp);
    SimulatedPort& port() { return card_->port(comNumber_); }

    const std::shared_ptr<SimulatedCardState> card_;
    const int comNumber_;
    const std::shared_ptr<SimulatedOpenPort> open_;
};

}  // namespace brenmoor::platform
