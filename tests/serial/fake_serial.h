#pragma once
// A scripted serial device and back end: every call is recorded in order, and each
// operation returns what the test set up. Single-threaded use only.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace brenmoor::test {

class FakeSerialDevice : public platform::SerialDevice {
public:
    // Scripted results.
    bool setupQueuesResult = true;
    bool getLineStateResult = true;
    platform::LineState reportedState;  // a successful setLineState replaces it
    bool setLineStateResult = true;
    // What the device makes of a state it is set to, as reported afterwards: a port that
    // cannot take a rate keeps its old one.
    std::function<void(platform::LineState&)> keeps;
    bool setTimeoutsResult = true;
    bool clearErrorsResult = true;
    bool deviceControlResult = true;
    platform::IoStatus writeResult = platform::IoStatus::Completed;
    platform::IoStatus readResult = platform::IoStatus::Completed;
    std::vector<std::uint8_t> input;  // bytes waiting; a completed read takes from the front

    // What was asked of the device.
    std::vector<std::string> calls;
    platform::LineState appliedState;
    platform::Timeouts appliedTimeouts;
    unsigned purgeFlags = 0;
    struct Request {
        std::uint32_t code;
        std::vector<std::uint8_t> block;
    };
    std::vector<Request> requests;
    std::vector<std::uint8_t> written;
    std::chrono::milliseconds lastLimit{0};

    bool setupQueues(std::size_t inputBytes, std::size_t outputBytes) override;
    bool getLineState(platform::LineState& state) override;
    bool setLineState(const platform::LineState& state) override;
    bool setTimeouts(const platform::Timeouts& timeouts) override;
    bool purge(unsigned flags) override;
    bool setEventMask(std::uint32_t mask) override;
    platform::WaitStatus waitEvent(std::uint32_t& occurred) override;
    bool clearErrors(std::uint32_t& bytesWaiting) override;
    platform::IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override;
    platform::IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override;
    bool deviceControl(std::uint32_t code, const std::uint8_t* data, std::size_t length) override;
    bool lineErrorCounts(platform::LineErrorCounts&) override { return false; }
    bool isGone() const override { return false; }
    void close() override { closed_ = true; }
    bool isClosed() const override { return closed_; }

private:
    bool closed_ = false;
};

// Opens the devices it was given by name; any other name fails as absent ("No such
// device: <name>"), and a name marked busy fails as busy ("In use by another program").
class FakeSerialBackend : public platform::SerialBackend {
public:
    std::shared_ptr<FakeSerialDevice> add(const std::string& name);
    void markBusy(const std::string& name) {
        failures_[name] = {platform::OpenFailure::Busy, "In use by another program"};
    }

    std::vector<std::string> opened;  // every name asked for, in order

    platform::SerialHandle open(const std::string& device, platform::OpenError& error) override;

private:
    std::map<std::string, std::shared_ptr<FakeSerialDevice>> devices_;
    std::map<std::string, platform::OpenError> failures_;
};

}  // namespace brenmoor::test
