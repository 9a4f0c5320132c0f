#include "serial/fake_serial.h"

#include <algorithm>

namespace brenmoor::test {

bool FakeSerialDevice::setupQueues(std::size_t, std::size_t) {
    calls.push_back("setupQueues");
    return setupQueuesResult;
}

bool FakeSerialDevice::getLineState(platform::LineState& state) {
    calls.push_back("getLineState");
    if (!getLineStateResult) {
        // A failing device may leave anything behind.
        state.baudRate = 0xDEAD;
        state.xonChar = 0;
        return false;
    }
    state = reportedState;
    return true;
}

bool FakeSerialDevice::setLineState(const platform::LineState& state) {
    calls.push_back("setLineState");
    appliedState = state;
    if (!setLineStateResult) return false;
    reportedState = state;
    if (keeps) keeps(reportedState);
    return true;
}

bool FakeSerialDevice::setTimeouts(const platform::Timeouts& timeouts) {
    calls.push_back("setTimeouts");
    appliedTimeouts = timeouts;
    return setTimeoutsResult;
}

bool FakeSerialDevice::purge(unsigned flags) {
    calls.push_back("purge");
    purgeFlags = flags;
    return true;
}

bool FakeSerialDevice::setEventMask(std::uint32_t) {
    calls.push_back("setEventMask");
    return true;
}

platform::WaitStatus FakeSerialDevice::waitEvent(std::uint32_t& occurred) {
    calls.push_back("waitEvent");
    occurred = 0;
    return platform::WaitStatus::Refused;
}

bool FakeSerialDevice::clearErrors(std::uint32_t& bytesWaiting) {
    calls.push_back("clearErrors");
    if (!clearErrorsResult) return false;
    bytesWaiting = static_cast<std::uint32_t>(input.size());
    return true;
}

platform::IoStatus FakeSerialDevice::write(const std::uint8_t* data, std::size_t count,
                                           std::chrono::milliseconds limit, std::size_t& done) {
    calls.push_back("write");
    lastLimit = limit;
    done = 0;
    if (writeResult == platform::IoStatus::Completed) {
        written.insert(written.end(), data, data + count);
        done = count;
    }
    return writeResult;
}

platform::IoStatus FakeSerialDevice::read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                                          std::size_t& done) {
    calls.push_back("read");
    lastLimit = limit;
    done = 0;
    if (readResult == platform::IoStatus::Completed) {
        done = std::min(count, input.size());
        std::copy_n(input.begin(), done, buffer);
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(done));
    }
    return readResult;
}

bool FakeSerialDevice::deviceControl(std::uint32_t code, const std::uint8_t* data, std::size_t length) {
    calls.push_back("deviceControl");
    requests.push_back({code, std::vector<std::uint8_t>(data, data + length)});
    return deviceControlResult;
}

std::shared_ptr<FakeSerialDevice> FakeSerialBackend::add(const std::string& name) {
    auto device = std::make_shared<FakeSerialDevice>();
    devices_[name] = device;
    return device;
}

platform::SerialHandle FakeSerialBackend::open(const std::string& device, platform::OpenError& error) {
    opened.push_back(device);
    if (auto failure = failures_.find(device); failure != failures_.end()) {
        error = failure->second;
        return nullptr;
    }
    auto found = devices_.find(device);
    if (found == devices_.end()) {
        error = {platform::OpenFailure::Absent, "No such device: " + device};
        return nullptr;
    }
    return found->second;
}

}  // namespace brenmoor::test
