#include "recording_backend.h"

#include "platform/com_names.h"
#include "platform/forwarding_device.h"

namespace brenmoor::test {
namespace {

class RecordingDevice : public platform::ForwardingDevice {
public:
    RecordingDevice(platform::SerialHandle inner, int comNumber, RecordingBackend& backend)
        : platform::ForwardingDevice(std::move(inner)), com_(comNumber), backend_(backend) {}

    bool purge(unsigned flags) override {
        if (backend_.onPurge) backend_.onPurge(com_, flags);
        return platform::ForwardingDevice::purge(flags);
    }
    platform::WaitStatus waitEvent(std::uint32_t& occurred) override {
        const platform::WaitStatus status = platform::ForwardingDevice::waitEvent(occurred);
        if (status == platform::WaitStatus::Completed && (occurred & platform::kEvRxChar))
            backend_.log.addStep(com_, "wait");
        return status;
    }
    platform::IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override {
        backend_.log.addWrite(com_, data, count);
        const platform::IoStatus status = platform::ForwardingDevice::write(data, count, limit, done);
        if (status != platform::IoStatus::Completed) backend_.log.addFailure(com_);
        return status;
    }
    platform::IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override {
        const platform::IoStatus status = platform::ForwardingDevice::read(buffer, count, limit, done);
        if (status == platform::IoStatus::Completed)
            backend_.log.addStep(com_, "read " + std::to_string(done));
        else
            backend_.log.addFailure(com_);
        return status;
    }

private:
    int com_;
    RecordingBackend& backend_;
};

}  // namespace

void TransferLog::addWrite(int comNumber, const std::uint8_t* data, std::size_t count) {
    std::lock_guard lock(mutex_);
    writes_.push_back({comNumber, std::vector<std::uint8_t>(data, data + count)});
}

void TransferLog::addStep(int comNumber, std::string step) {
    std::lock_guard lock(mutex_);
    steps_.emplace_back(comNumber, std::move(step));
}

void TransferLog::addFailure(int comNumber) {
    std::lock_guard lock(mutex_);
    ++failures_[comNumber];
}

int TransferLog::failuresOf(int comNumber) const {
    std::lock_guard lock(mutex_);
    const auto found = failures_.find(comNumber);
    return found == failures_.end() ? 0 : found->second;
}

std::vector<WriteRecord> TransferLog::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<WriteRecord> TransferLog::writesOf(int comNumber) const {
    std::vector<WriteRecord> out;
    for (WriteRecord& record : writes())
        if (record.comNumber == comNumber) out.push_back(std::move(record));
    return out;
}

std::vector<std::string> TransferLog::receiveSteps(int comNumber) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& [com, step] : steps_)
        if (com == comNumber) out.push_back(step);
    return out;
}

platform::SerialHandle RecordingBackend::open(const std::string& device, platform::OpenError& error) {
    platform::SerialHandle inner = inner_.open(device, error);
    if (!inner) return nullptr;
    return std::make_shared<RecordingDevice>(std::move(inner), platform::parseComName(device).value_or(0), *this);
}

}  // namespace brenmoor::test
