// The real test console, offscreen, over eight ports streaming at 921600 bit/s on the
// simulated card with no write delay and the internal loopback on: how late the window
// thread's timers run (its event-loop latency) and how the process's memory develops.
//
//   console_bench [seconds]   (default 90; memory is sampled every 10 s)
//
// Prints one "name: value" line per figure.

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <vector>

#include "config/registry_persistence.h"
#include "console/send_file_chooser.h"
#include "console/serial_test_dialog.h"
#include "console/test_console_window.h"
#include "config/command_flags.h"
#include "engine/test_session.h"
#include "platform/profile_store.h"
#include "platform/simulated_card.h"
#include "platform/window_notice.h"
#include "res/test_dialog_template.h"

using namespace brenmoor;

namespace {

constexpr int kBaud921600Position = 13;
constexpr int kProbeIntervalMs = 10;
constexpr int kMemorySampleSeconds = 10;

class NoFiles : public console::SendFileChooser {
public:
    std::optional<QString> chooseSendFile(QWidget*) override { return std::nullopt; }
};

// Messages would block the run; the benchmark counts them instead.
class CountingMessages : public platform::MessageSink {
public:
    void showMessage(const platform::MessageBoxRequest& request) override {
        std::fprintf(stderr, "message: %s\n", request.text.c_str());
        ++count;
    }
    std::atomic<int> count{0};
};

class QueuedNotices : public QObject, public platform::MainWindowNotices {
public:
    void postThreadDone(int) override {
        QMetaObject::invokeMethod(this, [this] {
            if (++ended_ == session->threadCount()) {
                ended_ = 0;
                session->FinishSession();
                finished = true;
            }
        }, Qt::QueuedConnection);
    }
    void updateWindow() override {}

    engine::TestSession* session = nullptr;
    bool finished = false;

private:
    int ended_ = 0;
};

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(kMemorySampleSeconds, std::atoi(argv[1])) : 90;

    auto tables = std::make_unique<config::SettingsTables>();
    config::ReadPortSettings(*tables, platform::ProfileStore("/nonexistent/brenmoor-console-bench.ini"));
    for (int port = 0; port < config::kPortCount; ++port) {
        config::PortRegistryEntry& entry = tables->m_PortRegistry[static_cast<std::size_t>(port)];
        entry.nPortOpen = 1;
        entry.nComBase = 3 + port;
        entry.nBaud = kBaud921600Position;
    }
    tables->m_strWriteDelay.setText("0");

    platform::SimulatedCard card;
    CountingMessages messages;
    NoFiles files;
    config::CommandFlags flags;
    QueuedNotices notices;
    console::TestConsoleWindow window(files);
    auto session = std::make_unique<engine::TestSession>(*tables, flags, card, messages, notices, window);
    notices.session = session.get();
    window.attach(session->engine());

    const long rssBefore = residentKiB();
    session->Start();
    console::CSerialTestDlg* dialog = window.dialog();
    if (!dialog) {
        std::fprintf(stderr, "the console was not created\n");
        return 1;
    }
    dialog->repaintChangedPanels();
    for (int port = 0; port < config::kPortCount; ++port) {
        const res::TestPanelIds& ids = res::testPanelIds()[static_cast<std::size_t>(port)];
        dialog->controls().checkBox(ids.loopTest)->click();
        dialog->controls().button(ids.run)->click();
    }

    // A probe timer re-armed at each tick; its lateness is how long the window thread was
    // busy with something else when it was due.
    QElapsedTimer clock;
    clock.start();
    std::vector<double> lateness;
    qint64 due = clock.nsecsElapsed() + qint64{kProbeIntervalMs} * 1000000;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setSingleShot(true);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateness.push_back(static_cast<double>(std::max<qint64>(0, now - due)) / 1e6);
        due = now + qint64{kProbeIntervalMs} * 1000000;
        probe.start(kProbeIntervalMs);
    });
    probe.start(kProbeIntervalMs);

    std::vector<std::pair<int, long>> rss;
    const double cpuAtStart = cpuSeconds();
    const double guiCpuAtStart = threadCpuSeconds();
    const int samples = seconds / kMemorySampleSeconds;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        rss.emplace_back(static_cast<int>(rss.size() + 1) * kMemorySampleSeconds, residentKiB());
        if (static_cast<int>(rss.size()) >= samples) app.quit();
    });
    sampler.start(kMemorySampleSeconds * 1000);
    app.exec();
    probe.stop();
    const double cpuUsed = cpuSeconds() - cpuAtStart;
    const double guiCpuUsed = threadCpuSeconds() - guiCpuAtStart;
    const double elapsed = static_cast<double>(clock.elapsed()) / 1000.0;

    std::int64_t packets = 0;
    std::int32_t fewest = INT32_MAX;
    for (int port = 0; port < config::kPortCount; ++port) {
        const std::int32_t sent = session->engine().portRunState[static_cast<std::size_t>(port)].packetsSent.load();
        packets += sent;
        fewest = std::min(fewest, sent);
    }

    session->Stop();
    QElapsedTimer finishing;
    finishing.start();
    while (!notices.finished && finishing.elapsed() < 30000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    std::printf("duration_s: %.1f\n", elapsed);
    std::printf("ports: %d\n", config::kPortCount);
    std::printf("packets_sent_total: %lld\n", static_cast<long long>(packets));
    std::printf("packets_per_second_per_port_min: %.0f\n", fewest / elapsed);
    std::printf("gui_timer_probes: %zu\n", lateness.size());
    std::printf("gui_latency_p50_ms: %.2f\n", percentile(lateness, 0.50));
    std::printf("gui_latency_p99_ms: %.2f\n", percentile(lateness, 0.99));
    std::printf("gui_latency_max_ms: %.2f\n", lateness.empty() ? 0.0 : *std::max_element(lateness.begin(), lateness.end()));
    std::printf("process_cpu_cores: %.2f\n", cpuUsed / elapsed);
    std::printf("gui_thread_cpu_cores: %.3f\n", guiCpuUsed / elapsed);
    std::printf("rss_before_start_kib: %ld\n", rssBefore);
    for (const auto& [at, kib] : rss) std::printf("rss_at_%ds_kib: %ld\n", at, kib);
    std::printf("messages: %d\n", messages.count.load());
    std::printf("session_finished: %s\n", notices.finished ? "yes" : "no");
    window.closeConsole();
    return notices.finished ? 0 : 1;
}
