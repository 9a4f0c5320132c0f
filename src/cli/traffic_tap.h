#pragma once
// A back end that opens through another one and keeps, per COM number, every byte the
// port wrote and read, so the run can compare what came back with what was sent. A read
// purge starts the port's record of received bytes afresh, and so does its source's first
// write: only what arrived after both counts.
//
// Every call on a tapped port also notes, for the calling thread, that it last worked on
// that port: a message raised right after a failed transfer names no port, and this is
// how the run tells whose it is.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cli/return_comparison.h"
#include "platform/serial_device.h"

namespace brenmoor::cli {

// Positions in a port's streams count every byte since the tap opened it; the bytes kept
// begin at the streams' bases, those before have been compared and let go.
struct TappedPort {
    std::uint64_t writtenBase = 0;
    std::uint64_t receivedBase = 0;
    std::vector<std::uint8_t> written;
    std::uint64_t writes = 0;  // writes that put bytes on the port: its packets
    std::vector<std::uint8_t> received;
    std::size_t keptFrom = 0;  // received bytes before this index were purged
    // At the port's last read purge: how much each COM number had written by then.
    std::map<int, std::size_t> writtenAtPurge;
    // As this port's first write began: how much each COM number had received by then
    // (taken before the write, since its echo can be read before the write returns).
    bool writeBegun = false;
    std::map<int, std::size_t> receivedAtFirstWrite;
};

struct TrafficCounts {
    std::uint64_t writes = 0;
    std::uint64_t written = 0;
    std::uint64_t received = 0;
};

class TrafficTap : public platform::SerialBackend {
public:
    explicit TrafficTap(platform::SerialBackend& inner) : inner_(inner) {}
    platform::SerialHandle open(const std::string& device, platform::OpenError& error) override;

    void noteWriteBegins(int comNumber);
    void noteWrite(int comNumber, const std::uint8_t* data, std::size_t count);
    void noteRead(int comNumber, const std::uint8_t* data, std::size_t count);
    void notePurge(int comNumber);

    TrafficCounts counts(int comNumber);
    // Bytes the tap still holds of the port's sent and received streams.
    std::size_t keptBytes(int comNumber);
    // Compares what port `comNumber` received so far with what `sourceCom` sent, and lets go
    // of the bytes compared. The start of the comparison is fixed once `alignAfter` bytes that
    // count have come in, or with `final` (nothing more will come), or once more than
    // `keepAtMost` sent bytes wait for their return: the oldest beyond that are given up as
    // missing, so a port whose return stops holds no more than that. Returns the comparison
    // as it stands.
    ReturnComparison tally(int comNumber, int sourceCom, ReturnTally& tally, std::size_t alignAfter,
                           std::size_t keepAtMost, bool final);
    // When a write or read last moved bytes on any tapped port.
    std::chrono::steady_clock::time_point lastTraffic();

    // The COM number the calling thread last worked on through a tapped port or open;
    // 0 when none.
    static int lastComOfThisThread();
    static void noteThreadCom(int comNumber);

private:
    platform::SerialBackend& inner_;
    std::mutex mutex_;
    std::map<int, TappedPort> ports_;
    std::chrono::steady_clock::time_point lastTraffic_;
};

}  // namespace brenmoor::cli
