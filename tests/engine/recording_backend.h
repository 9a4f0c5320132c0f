#pragma once
// A back end that opens its ports through another one and records, per port, every write
// (its bytes, in the order writes started across all ports), the waits and reads of the
// receive side, and the transfers that failed, so tests can see packet boundaries, receive
// passes and retries. Safe from any thread.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace brenmoor::test {

struct WriteRecord {
    int comNumber;
    std::vector<std::uint8_t> bytes;
};

class TransferLog {
public:
    void addWrite(int comNumber, const std::uint8_t* data, std::size_t count);
    void addStep(int comNumber, std::string step);
    void addFailure(int comNumber);
    std::vector<WriteRecord> writes() const;
    std::vector<WriteRecord> writesOf(int comNumber) const;
    // "wait" for each completed wait with characters, "read N" for each read of N bytes.
    std::vector<std::string> receiveSteps(int comNumber) const;
    // Writes and reads on the port that did not complete.
    int failuresOf(int comNumber) const;

private:
    mutable std::mutex mutex_;
    std::vector<WriteRecord> writes_;
    std::vector<std::pair<int, std::string>> steps_;
    std::map<int, int> failures_;
};

class RecordingBackend : public platform::SerialBackend {
public:
    explicit RecordingBackend(platform::SerialBackend& inner) : inner_(inner) {}

    platform::SerialHandle open(const std::string& device, platform::OpenError& error) override;

    TransferLog log;
    // Called on the purging thread with the COM number and the purge flags.
    std::function<void(int, unsigned)> onPurge;

private:
    platform::SerialBackend& inner_;
};

}  // namespace brenmoor::test
