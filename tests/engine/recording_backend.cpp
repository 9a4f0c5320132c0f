#include "recording_backend.h"

#include "platform/com_names.h"

namespace brenmoor::test {
namespace {

class RecordingDevice : public platform::SerialDevice {
public:
    RecordingDevice(platform::SerialHandle inner, int comNumber, RecordingBackend& backend)
        : inner_(std::move(inner)), com_(comNumber), backend_(backend) {}

    bool setupQueues(std::size_t in, std::size_t out) override { return inner_->setupQueues(in, out); }
    bool getLineState(platform::LineState& state) override { return inner_->getLineState(state); }
    bool setLineState(const platform::LineState& state) override { return inner_->setLineState(state); }
    bool setTimeouts(const platform::Timeouts& timeouts) override { return inner_->setTimeouts(timeouts); }
    bool purge(unsigned flags) override {
        if (backend_.onPurge) backend_.onPurge(com_, flags);
        return inner_->purge(flags);
    }
    bool setEventMask(std::uint32_t mask) override { return inner_->setEventMask(mask); }
    platform::WaitStatus waitEvent(std::uint32_t& occurred) override {
        const platform::WaitStatus status = inner_->waitEvent(occurred);
        if (status == platform::WaitStatus::Completed && (occurred & platform::kEvRxChar))
            backend_.log.addStep(com_, "wait");
        return status;
    }
    bool clearErrors(std::uint32_t& waiting) override { return inner_->clearErrors(waiting); }
    platform::IoStatus write(const std::uint8_t* data, std::size_t count, std::chrono::milliseconds limit,
                             std::size_t& done) override {
        backend_.log.addWrite(com_, data, count);
        return inner_->write(data, count, limit, done);
    }
    platform::IoStatus read(std::uint8_t* buffer, std::size_t count, std::chrono::milliseconds limit,
                            std::size_t& done) override {
        const platform::IoStatus status = inner_->read(buffer, count, limit, done);
        if (status == platform::IoStatus::Completed) backend_.log.addStep(com_, "read " + std::to_string(done));
        return status;
    }
    bool deviceControl(std::uint32_t code, const std::uint8_t* input, std::size_t length) override {
        return inner_->deviceControl(code, input, length);
    }
    bool isGone() const override { return inner_->isGone(); }
    void close() override { inner_->close(); }
    bool isClosed() const override { return inner_->isClosed(); }

private:
    platform::SerialHandle inner_;
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
