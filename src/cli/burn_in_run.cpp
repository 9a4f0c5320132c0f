#include "cli/burn_in_run.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>

#include "cli/progress_display.h"
#include "cli/return_comparison.h"
#include "cli/run_settings.h"
#include "cli/traffic_tap.h"
#include "config/command_flags.h"
#include "config/registry_persistence.h"
#include "engine/headless_window.h"
#include "engine/panel_actions.h"
#include "engine/test_session.h"
#include "platform/line_timing.h"
#include "platform/serial_backend_setup.h"
#include "serial/line_settings.h"
#include "serial/stored_positions.h"

namespace brenmoor::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Once every port has stopped, the run waits until nothing has arrived for this many
// character times (and at least kMinimumDrain, since the reading thread and a far end in
// software may be late to run on a busy machine), so the last packet is in.
constexpr int kDrainCharacters = 16;
constexpr std::chrono::milliseconds kMinimumDrain{250};
// However busy a return path stays, the drain ends after this.
constexpr std::chrono::seconds kLongestDrain{30};
constexpr std::chrono::milliseconds kPollStep{10};
// How often the returned bytes are compared and let go while the ports run, and how many
// must have come back before the start of the comparison is fixed.
constexpr std::chrono::seconds kTallyInterval{1};
constexpr std::size_t kAlignAfter = 4096;
// A packet count is looked at more often, so a fast line sends few packets beyond it.
constexpr std::chrono::milliseconds kPacketPollStep{1};

// Message boxes become lines on standard error; each is kept for the report, with the port
// the raising thread last worked on.
class ReportingSink : public platform::MessageSink {
public:
    explicit ReportingSink(std::ostream& out) : out_(out) {}

    void showMessage(const platform::MessageBoxRequest& request) override {
        std::string line = request.caption.empty() ? request.text : request.caption + ": " + request.text;
        if (!request.detail.empty()) line += " (" + request.detail + ")";
        std::lock_guard lock(mutex_);
        out_ << line << std::endl;
        kept_.push_back({TrafficTap::lastComOfThisThread(), line});
    }

    std::vector<std::pair<int, std::string>> kept() {
        std::lock_guard lock(mutex_);
        return kept_;
    }

private:
    std::ostream& out_;
    std::mutex mutex_;
    std::vector<std::pair<int, std::string>> kept_;
};


std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// The line a port runs at; a port whose stored positions lie outside their lists is refused
// at its open and keeps the default line here.
platform::LineState lineStateOf(const config::PortRegistryEntry& entry) {
    platform::LineState state;
    if (!serial::positionOutsideList(entry, 0)) serial::applyStoredLineSettings(entry, state);
    return state;
}

// A counter's growth; a counter that went back (a driver reset) shows none.
std::uint64_t grown(std::uint64_t before, std::uint64_t after) { return after >= before ? after - before : 0; }

// The port's counters, when its device keeps them.
std::optional<platform::LineErrorCounts> lineErrorCounts(const platform::SerialHandle& handle) {
    platform::LineErrorCounts counts;
    if (!handle || !handle->lineErrorCounts(counts)) return std::nullopt;
    return counts;
}

std::string firstMismatchText(std::size_t offset) { return "first mismatch at byte " + std::to_string(offset); }

// What the comparison made while the ports send already shows to be wrong; bytes still on
// their way count as missing only at the end.
std::string faultSoFar(const ReturnComparison& compared) {
    if (compared.firstMismatch) return firstMismatchText(*compared.firstMismatch);
    if (compared.extra != 0) return std::to_string(compared.extra) + " bytes extra";
    return {};
}

std::string firstReason(const PortReport& port) {
    if (port.firstMismatchOffset) return firstMismatchText(*port.firstMismatchOffset);
    if (port.missing != 0) return std::to_string(port.missing) + " bytes missing";
    if (port.extra != 0) return std::to_string(port.extra) + " bytes extra";
    if (!port.messages.empty()) return port.messages.front();
    if (port.lineErrors.total() != 0) {
        const LineErrorDelta& e = port.lineErrors;
        return "line errors: frame " + std::to_string(e.frame) + ", parity " + std::to_string(e.parity) +
               ", overrun " + std::to_string(e.overrun) + ", break " + std::to_string(e.brk);
    }
    if (port.bytesSent == 0) return "nothing was sent";
    return {};
}

}  // namespace

BurnInRun::BurnInRun(CliOptions options, RunHooks hooks, std::ostream& messages)
    : options_(std::move(options)), hooks_(std::move(hooks)), messages_(messages) {}

int BurnInRun::run() {
    report_.version = BRENMOOR_VERSION;
    auto setupError = [&](const std::string& text) {
        messages_ << "brenmoor-cli: " << text << std::endl;
        return kSetupError;
    };

    // The profile is read as the window reads it, and never written.
    const platform::ProfileStore profile(platform::profileLocation(options_.profile));
    config::SettingsTables tables;
    config::ReadPortSettings(tables, profile);
    std::string error;
    const std::vector<TestedPort> tested = applyRunSettings(options_, tables, error);
    if (tested.empty()) return setupError(error);

    platform::SerialSetup setup =
        platform::makeSerialBackend(options_.simulatedCard, options_.devices, options_.simulated, profile);
    if (!setup.backend) return setupError(setup.error);
    for (const std::string& warning : setup.warnings) messages_ << "brenmoor-cli: " << warning << std::endl;
    const platform::ComResolver& resolver = setup.backend->resolver();
    const auto comOf = [&](int port) { return static_cast<int>(config::comNumber(tables.m_PortRegistry[port - 1])); };
    platform::SimulatedCard& card = setup.backend->simulatedCard();
    platform::wireSimulatedCard(card, options_.simulated, comOf);
    report_.backend = resolver.usesSimulatedCard() ? "simulated card" : "devices";

    TrafficTap tap(*setup.backend);
    ReportingSink sink(messages_);
    engine::ThreadEndCounter notices;
    engine::HeadlessConsole console;
    config::CommandFlags flags;
    engine::TestSession session(tables, flags, tap, sink, notices, console);
    engine::PanelActions actions(session.engine());
    engine::EngineState& engine = session.engine();

    session.Start();
    if (!session.inProgress() || !console.model) return setupError("no port could be opened");

    std::array<bool, config::kPortCount> opened{};
    std::array<std::optional<platform::LineErrorCounts>, config::kPortCount> errorsBefore;
    for (const TestedPort& port : tested) {
        opened[port.index] = engine.ports.portOpen[port.index] != 0;
        if (!opened[port.index]) continue;
        errorsBefore[port.index] = lineErrorCounts(engine.ports.handles[port.index]);
        console.model->setLoopTestChecked(port.index, port.returnKind == ReturnKind::Internal);
        actions.RunClicked(port.index);
    }
    report_.started = utcNow();
    const auto startedAt = SteadyClock::now();
    std::vector<platform::SimulatedFault> faults = options_.simulated.faults;
    const auto duration = std::chrono::seconds(options_.seconds.value_or(kDefaultSeconds));
    std::array<platform::LineState, config::kPortCount> lines{};
    for (const TestedPort& port : tested) lines[port.index] = lineStateOf(tables.m_PortRegistry[port.index]);
    ProgressDisplay progress(hooks_.progress && !options_.quiet ? hooks_.progress : nullptr, hooks_.terminal);
    std::array<ReturnComparison, config::kPortCount> soFar{};
    auto snapshot = [&] {
        std::vector<ProgressRow> rows;
        for (const TestedPort& port : tested) {
            const TrafficCounts counts = tap.counts(comOf(port.index + 1));
            rows.push_back({port.index + 1, counts.writes, counts.written, counts.received,
                            lines[port.index], engine.sending[port.index].running(), faultSoFar(soFar[port.index])});
        }
        return rows;
    };

    std::array<ReturnTally, config::kPortCount> tallies;
    // A sent byte still not back after the longest drain the run would wait for it will not
    // come back in time; its return path is counted at what its source's line carries in that
    // time, which no queue on a complete return path lags by.
    std::array<std::size_t, config::kPortCount> keepAtMost{};
    for (const TestedPort& port : tested)
        keepAtMost[port.index] = static_cast<std::size_t>(
            std::chrono::nanoseconds(kLongestDrain) / platform::characterTime(lines[port.source]));
    auto tallyAll = [&](bool final) {
        std::array<ReturnComparison, config::kPortCount> compared;
        for (const TestedPort& port : tested)
            compared[port.index] = tap.tally(comOf(port.index + 1), comOf(port.source + 1), tallies[port.index],
                                             kAlignAfter, keepAtMost[port.index], final);
        return compared;
    };
    auto nextTally = startedAt + kTallyInterval;

    // Send until every port has reached its end or stopped by itself.
    bool interrupted = false;
    while (true) {
        const auto elapsed = SteadyClock::now() - startedAt;
        if (SteadyClock::now() >= nextTally) {
            soFar = tallyAll(false);
            nextTally += kTallyInterval;
        }
        std::erase_if(faults, [&](const platform::SimulatedFault& fault) {
            if (elapsed < fault.after) return false;
            platform::injectSimulatedFault(card, fault.kind, comOf(fault.port));
            return true;
        });
        bool anyRunning = false;
        for (const TestedPort& port : tested) {
            if (!engine.sending[port.index].running()) continue;
            const bool done = options_.packets
                                  ? engine.portRunState[port.index].packetsSent.load() >= *options_.packets
                                  : elapsed >= duration;
            if (done) actions.StopClicked(port.index);
            else anyRunning = true;
        }
        if (!anyRunning) break;
        if (const double seconds = std::chrono::duration<double>(elapsed).count(); progress.due(seconds))
            progress.show(seconds, snapshot());
        if (hooks_.waitForInterrupt(options_.packets ? kPacketPollStep : kPollStep)) {
            interrupted = true;
            for (const TestedPort& port : tested) actions.StopClicked(port.index);
            break;
        }
    }
    const auto stoppedAt = SteadyClock::now();
    report_.seconds = std::chrono::duration<double>(stoppedAt - startedAt).count();

    // Let what the lines still carry come in.
    auto drainQuiet = kMinimumDrain;
    for (const TestedPort& port : tested) {
        const auto character = platform::characterTime(lines[port.index]);
        drainQuiet = std::max(drainQuiet,
                              std::chrono::ceil<std::chrono::milliseconds>(character * kDrainCharacters));
    }
    // A packet built before its port stopped may still be written after it.
    const auto drainLimit = SteadyClock::now() + kLongestDrain;
    auto lastArrival = stoppedAt;
    while (true) {
        lastArrival = std::max(stoppedAt, tap.lastTraffic());
        if (SteadyClock::now() - lastArrival >= drainQuiet || SteadyClock::now() >= drainLimit) break;
        if (hooks_.waitForInterrupt(kPollStep)) {
            interrupted = true;
            break;
        }
    }
    report_.interrupted = interrupted;
    // What a port wrote was on its line until the last byte came back (a write is ahead of
    // the line by up to a packet), or until it stopped when nothing came back.
    const double lineSeconds = std::chrono::duration<double>(std::max(stoppedAt, lastArrival) - startedAt).count();
    std::array<LineErrorDelta, config::kPortCount> lineErrors;
    for (const TestedPort& port : tested) {
        const auto after = lineErrorCounts(engine.ports.handles[port.index]);
        if (const auto& before = errorsBefore[port.index]; before && after)
            lineErrors[port.index] = {grown(before->frame, after->frame), grown(before->parity, after->parity),
                                      grown(before->overrun, after->overrun), grown(before->brk, after->brk)};
    }
    // Taken before the finish, whose purge would start the record of what came back afresh.
    const std::array<ReturnComparison, config::kPortCount> compared = tallyAll(true);

    const int threads = session.threadCount();
    session.Stop();
    notices.waitFor(threads);
    session.FinishSession();

    // The verdicts.
    const auto kept = sink.kept();
    for (const auto& [com, text] : kept) {
        const bool ours = std::ranges::any_of(tested, [&](const TestedPort& p) { return comOf(p.index + 1) == com; });
        if (!ours) report_.messages.push_back(text);
    }
    for (const TestedPort& port : tested) {
        const config::PortRegistryEntry& entry = tables.m_PortRegistry[port.index];
        const int com = comOf(port.index + 1);
        PortReport result;
        result.port = port.index + 1;
        result.com = com;
        const platform::ResolvedPort resolved = resolver.resolve(com);
        result.device = resolved.kind == platform::PortBackendKind::SimulatedCard ? "simulated card" : resolved.devicePath;
        const platform::LineState& line = lines[port.index];
        result.baud = line.baudRate;
        result.framing = framingText(entry);
        result.pattern = patternName(tables.g_PortDataPattern[port.index]);
        result.returnPath = returnPathText(port);
        for (const auto& [messageCom, text] : kept)
            if (messageCom == com) result.messages.push_back(text);

        const TrafficCounts counts = tap.counts(com);
        result.packets = counts.writes;
        result.bytesSent = counts.written;
        const ReturnComparison& back = compared[port.index];
        result.bytesReceived = back.received;
        result.mismatches = back.mismatches;
        if (back.firstMismatch) result.firstMismatchOffset = *back.firstMismatch;
        result.missing = back.missing;
        result.extra = back.extra;
        result.lineErrors = lineErrors[port.index];
        result.lineUse = platform::lineUse(result.bytesSent, line, lineSeconds);
        if (!opened[port.index] && result.messages.empty())
            result.messages.push_back("the port was not opened");
        result.reason = firstReason(result);
        result.passed = result.reason.empty();
        report_.ports.push_back(std::move(result));
    }
    if (interrupted) return kInterrupted;
    return report_.passed() ? kAllPassed : kSomeFailed;
}

}  // namespace brenmoor::cli
