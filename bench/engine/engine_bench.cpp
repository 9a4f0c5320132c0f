// Test sessions on the simulated card, measured: eight ports at 921600 bit/s with no write
// delay and internal loopback (line use, received against sent, stop to finish), then one
// port with the default 10 ms delay (packet spacing, CPU while it waits).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <thread>

#include "config/port_settings.h"
#include "config/command_flags.h"
#include "engine/headless_window.h"
#include "engine/panel_actions.h"
#include "engine/test_session.h"
#include "platform/message_box.h"
#include "platform/simulated_card.h"
#include "support/traffic_recording_backend.h"

namespace brenmoor::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kBitsPerCharacter = 10.0;  // start, eight data bits, stop
constexpr double kLineRate = 921600.0;

class PrintingMessages : public platform::MessageSink {
public:
    void showMessage(const platform::MessageBoxRequest& request) override {
        std::fprintf(stderr, "message: %s (%s)\n", request.text.c_str(), request.caption.c_str());
    }
};

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Bench {
    explicit Bench(const char* writeDelay) {
        tables.m_strWriteDelay.setText(writeDelay);
        for (int port = 0; port < config::kPortCount; ++port) tables.m_PortRegistry[port].nComBase = 3 + port;
    }

    static int com(int port) { return 4 + port; }

    void runPort(int port, int alpha, int quickBrown) {
        config::PortRegistryEntry& entry = tables.m_PortRegistry[port];
        entry.nPortOpen = 1;
        entry.nBaud = 13;
        entry.nDataBits = 3;
        entry.nParity = 4;
        entry.nFlowCtrl = 2;
        tables.g_PortDataPattern[port].nAlpha = alpha;
        tables.g_PortDataPattern[port].nQuickBrown = quickBrown;
    }

    void start() {
        session.Start();
        engine::PanelActions actions(session.engine());
        for (int port = 0; port < config::kPortCount; ++port) {
            if (!session.engine().ports.portOpen[port]) continue;
            console.model->setLoopTestChecked(port, true);
            actions.RunClicked(port);
        }
    }

    // Stop as the menu command does, then serve the end notices as the main window does.
    Clock::duration stopAndFinish() {
        const Clock::time_point stopped = Clock::now();
        session.Stop();
        notices.waitFor(session.threadCount());
        session.FinishSession();
        return Clock::now() - stopped;
    }

    config::SettingsTables tables;
    config::CommandFlags flags;
    platform::SimulatedCard card;
    test::TrafficRecordingBackend backend{card};
    PrintingMessages messages;
    engine::ThreadEndCounter notices;
    engine::HeadlessConsole console;
    engine::TestSession session{tables, flags, backend, messages, notices, console};
};

void eightPortsWithoutDelay() {
    Bench bench("0");
    for (int port = 0; port < config::kPortCount; ++port) bench.runPort(port, 0, 1);
    bench.start();

    // Measured once every port's queue is full and its line busy.
    std::this_thread::sleep_for(500ms);
    std::array<std::size_t, config::kPortCount> readAtStart{};
    for (int port = 0; port < config::kPortCount; ++port) readAtStart[port] = bench.backend.bytesRead(Bench::com(port));
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(10s);
    std::array<std::size_t, config::kPortCount> readAtEnd{};
    for (int port = 0; port < config::kPortCount; ++port) readAtEnd[port] = bench.backend.bytesRead(Bench::com(port));
    const double window = seconds(Clock::now() - from);

    const Clock::duration stopToFinish = bench.stopAndFinish();

    std::printf("eight_ports_measured_s: %.2f\n", window);
    const double capacity = kLineRate / kBitsPerCharacter * window;
    double lowest = 1.0;
    bool allInOrder = true;
    for (int port = 0; port < config::kPortCount; ++port) {
        const test::PortTraffic traffic = bench.backend.traffic(Bench::com(port));
        const double lineUse = static_cast<double>(readAtEnd[port] - readAtStart[port]) / capacity;
        lowest = std::min(lowest, lineUse);
        // Every byte read back is the byte written at that place; what was still queued or
        // on its way at the stop is all that may be missing.
        const bool inOrder = !traffic.read.empty() && traffic.read.size() <= traffic.written.size() &&
                             std::equal(traffic.read.begin(), traffic.read.end(), traffic.written.begin());
        allInOrder = allInOrder && inOrder;
        std::printf("port%d_line_use: %.4f\n", port + 1, lineUse);
        std::printf("port%d_bytes_written: %zu\n", port + 1, traffic.written.size());
        std::printf("port%d_bytes_received: %zu\n", port + 1, traffic.read.size());
        std::printf("port%d_received_equals_sent_in_order: %s\n", port + 1, inOrder ? "yes" : "no");
        std::printf("port%d_not_received_at_stop: %zu\n", port + 1, traffic.written.size() - traffic.read.size());
        std::printf("port%d_mean_read_bytes: %.1f\n", port + 1,
                    static_cast<double>(traffic.read.size()) / static_cast<double>(std::max<std::size_t>(traffic.reads, 1)));
    }
    std::printf("lowest_line_use: %.4f\n", lowest);
    std::printf("all_received_equals_sent_in_order: %s\n", allInOrder ? "yes" : "no");
    std::printf("stop_to_finish_ms: %.2f\n", milliseconds(stopToFinish));
}

void onePortWithDefaultDelay() {
    Bench bench("10");
    bench.runPort(0, 1, 0);
    bench.start();

    std::this_thread::sleep_for(500ms);
    const double cpuFrom = processCpuSeconds();
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(10s);
    const double cpu = processCpuSeconds() - cpuFrom;
    const double wall = seconds(Clock::now() - from);
    const Clock::duration stopToFinish = bench.stopAndFinish();

    const std::vector<Clock::time_point> times = bench.backend.traffic(Bench::com(0)).writeTimes;
    std::vector<double> spacing;
    for (std::size_t i = 1; i < times.size(); ++i) spacing.push_back(milliseconds(times[i] - times[i - 1]));
    const double mean = std::accumulate(spacing.begin(), spacing.end(), 0.0) / static_cast<double>(spacing.size());
    std::printf("delay10_packets: %zu\n", times.size());
    std::printf("delay10_mean_spacing_ms: %.3f\n", mean);
    std::printf("delay10_min_spacing_ms: %.3f\n", *std::min_element(spacing.begin(), spacing.end()));
    std::printf("delay10_max_spacing_ms: %.3f\n", *std::max_element(spacing.begin(), spacing.end()));
    std::printf("delay10_cpu_percent_of_one_core: %.3f\n", 100.0 * cpu / wall);
    std::printf("delay10_stop_to_finish_ms: %.2f\n", milliseconds(stopToFinish));
}

}  // namespace
}  // namespace brenmoor::bench

int main() {
    brenmoor::bench::eightPortsWithoutDelay();
    brenmoor::bench::onePortWithDefaultDelay();
    return 0;
}
