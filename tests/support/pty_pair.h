#pragma once
// A raw pseudo-terminal pair as a test line: open the slave path with the POSIX back end
// like any serial device node, and play the far end through the master. Closing the
// master hangs the slave up, which is how a test unplugs the device.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace brenmoor::test {

class PtyPair {
public:
    PtyPair();  // throws std::runtime_error when no pseudo-terminal can be had
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Writes every byte to the master, i.e. sends them to the slave's input.
    void send(const std::vector<std::uint8_t>& bytes);
    // Reads from the master what the slave wrote, until `count` bytes came or `limit` ran
    // out; returns what arrived.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds limit);
    // Hangs the slave up, as an unplugged device.
    void closeMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace brenmoor::test
