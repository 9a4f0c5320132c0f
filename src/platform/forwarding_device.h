#pragma once
// A device that passes every call on to another one: the base for devices that watch some
// of the calls (override those, call the base to pass them on).

#include <utility>

#include "platform/serial_device.h"

namespace brenmoor::platform {

class ForwardingDevice : public SerialDevice {
public:
    explicit ForwardingDevice(SerialHandle inner) : inner_(std::move(inner)) {}

    bool setupQueues(std::size_t in, std::size_t out) override { return inner_->setupQueues(in, out); }
    bool getLineState(LineState& state) override { return inner_->getLineState(state); }
    bool setLineState(const LineState& state) override { return inner_->setLineState(state); }
    bool setTimeouts(const Timeouts& timeouts) override { return inner_->setTimeouts(timeouts); }
    bool purge(unsigned flags) override { return inner_->purge(flags); }
    bool setEventMask(std::uint32_t mask) override { return inner_->setEventMask(mask); }
    WaitStatus waitEvent(std::uint32_t& occurred) override { return inner_->waitEvent(occurred); }
    bool clearErrors(std::uint32_t& waiting) override { return inner_->clearErrors(waiting); }
    IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override {
        return inner_->write(data, count, limit, done);
    }
    IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override {
        return inner_->read(buffer, count, limit, done);
    }
    bool lineErrorCounts(LineErrorCounts& counts) override { return inner_->lineErrorCounts(counts); }
    bool deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) override {
        return inner_->deviceControl(code, input, length);
    }
    bool isGone() const override { return inner_->isGone(); }
    void close() override { inner_->close(); }
    bool isClosed() const override { return inner_->isClosed(); }

private:
    SerialHandle inner_;
};

}  // namespace brenmoor::platform
