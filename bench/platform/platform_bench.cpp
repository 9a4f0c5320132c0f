// Figures for the serial back ends, one "name: value" line each:
// - the simulated card: characters received through a loopback plug per second, as a
//   fraction of what the line rate allows (a writer keeps the line busy with 100-byte
//   packets; a reader waits and reads as the receive thread does), and the processor
//   time the process used meanwhile, as a fraction of one core;
// - a pseudo-terminal through the POSIX back end: bytes per second one port moves in
//   100-byte writes to a reader draining the master.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/line_timing.h"
#include "platform/posix_serial_backend.h"
#include "platform/simulated_card.h"
#include "support/pty_pair.h"

using namespace brenmoor;
using namespace brenmoor::platform;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kPacket = 100;
constexpr std::uint32_t kReadLimit = 450;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double processCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Writes packets until told to stop; every write waits for room in the transmit queue.
void writePackets(SerialDevice& device, const std::atomic<bool>& running) {
    const std::vector<std::uint8_t> packet(kPacket, 'B');
    std::size_t done = 0;
    while (running) device.write(packet.data(), packet.size(), 10000ms, done);
}

// When a pass's count of waiting characters was taken, and the characters received up to
// then. The count is taken between `before` and `after`; every character it reports is
// read in the same pass, so `total` is exactly what had arrived at that moment.
struct ReadMark {
    Clock::time_point before;
    Clock::time_point after;
    std::uint64_t total;
};

// Waits for characters and reads them as the receive thread does, marking each pass.
void readCharacters(SerialDevice& device, const std::atomic<bool>& running, std::vector<ReadMark>& marks) {
    std::vector<std::uint8_t> buffer(kReadLimit);
    std::uint64_t total = 0;
    device.setEventMask(kEvRxChar);
    while (running) {
        std::uint32_t occurred = 0;
        if (device.waitEvent(occurred) != WaitStatus::Completed || !(occurred & kEvRxChar)) continue;
        std::uint32_t waiting = 0;
        const auto before = Clock::now();
        if (!device.clearErrors(waiting) || waiting == 0) continue;
        const auto after = Clock::now();
        std::size_t done = 0;
        device.read(buffer.data(), std::min(waiting, kReadLimit), 10000ms, done);
        total += done;
        if (waiting <= kReadLimit && done == waiting) marks.push_back({before, after, total});
    }
}

// Characters per second between two passes inside the window, each one whose count was
// taken within a tight bracket, so a thread switch around a pass does not move the
// window's ends.
double receivedRate(const std::vector<ReadMark>& marks, Clock::time_point from, Clock::time_point to) {
    constexpr auto kTight = 50us;
    auto usable = [&](const ReadMark& m) { return m.before >= from && m.after <= to && m.after - m.before <= kTight; };
    const auto first = std::find_if(marks.begin(), marks.end(), usable);
    const auto last = std::find_if(marks.rbegin(), marks.rend(), usable);
    if (first == marks.end() || last == marks.rend() || last->before <= first->after) return 0;
    auto middle = [](const ReadMark& m) { return m.before + (m.after - m.before) / 2; };
    return static_cast<double>(last->total - first->total) / seconds(middle(*last) - middle(*first));
}

void simulatedLine(std::uint32_t baud, Clock::duration measured) {
    SimulatedCard card;
    card.plugLoopback(1);
    OpenError error;
    SerialHandle device = card.open("COM1", error);
    LineState line;
    line.baudRate = baud;
    device->setLineState(line);
    device->setTimeouts({0, 1, 100, 1, 100});

    std::atomic<bool> running{true};
    std::vector<ReadMark> marks;
    marks.reserve(1 << 20);
    std::thread reader(readCharacters, std::ref(*device), std::cref(running), std::ref(marks));
    std::thread writer(writePackets, std::ref(*device), std::cref(running));

    std::this_thread::sleep_for(200ms);  // the line is busy and the reader in step
    const auto start = Clock::now();
    const double cpuStart = processCpuSeconds();
    std::this_thread::sleep_for(measured);
    const auto end = Clock::now();
    const double cpu = processCpuSeconds() - cpuStart;

    running = false;
    device->setEventMask(0);
    writer.join();
    reader.join();

    const double charactersPerSecond = baud * 2.0 / characterHalfBits(line);
    std::printf("simulated_%u_line_fraction: %.4f\n", baud, receivedRate(marks, start, end) / charactersPerSecond);
    std::printf("simulated_%u_cpu_fraction_of_one_core: %.4f\n", baud, cpu / seconds(end - start));
}

void ptyThroughput(Clock::duration measured) {
    test::PtyPair pty;
    PosixSerialBackend backend;
    OpenError error;
    SerialHandle device = backend.open(pty.slavePath(), error);
    if (!device) {
        std::printf("pty_bytes_per_second_100_byte_writes: n/a (%s)\n", error.detail.c_str());
        return;
    }
    std::atomic<bool> running{true};
    std::thread drain([&] {
        std::vector<std::uint8_t> buffer(65536);
        while (running) {
            pollfd p{pty.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) [[maybe_unused]] ssize_t n = ::read(pty.masterFd(), buffer.data(), buffer.size());
        }
    });

    const std::vector<std::uint8_t> packet(kPacket, 'P');
    std::uint64_t written = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < measured) {
        std::size_t done = 0;
        device->write(packet.data(), packet.size(), 10000ms, done);
        written += done;
    }
    const double elapsed = seconds(Clock::now() - start);
    running = false;
    drain.join();
    std::printf("pty_bytes_per_second_100_byte_writes: %.0f\n", static_cast<double>(written) / elapsed);
}

}  // namespace

int main() {
    simulatedLine(9600, 2s);
    simulatedLine(921600, 1s);
    ptyThroughput(1s);
    return 0;
}
