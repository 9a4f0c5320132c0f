#pragma once
// What the test console shows and what its check boxes hold, per port: the state the
// engine's threads read and write, and the window side repaints from. Every operation is
// safe from any thread and never waits for the window: a change only marks its port as
// changed and, for the first change since the window last took them, calls the listener.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>

#include "config/port_settings.h"

namespace brenmoor::engine {

// The controls of a panel whose availability the engine changes.
enum class PanelControl {
    Run,
    Stop,
    Transfer,
    InternalLoopTest,
    TestForever,
    Error,
    Time,
    Enable,
    Hours,
    Minutes,
};
inline constexpr int kPanelControlCount = 10;

enum class StopChoice { TestForever, Error, Time };

// Each text box holds at most this many characters.
inline constexpr std::size_t kTextBoxLimit = 10000;

struct PanelState {
    std::string sentText;
    std::string receivedText;
    std::string packetCount;
    bool enableChecked = false;
    bool loopTestChecked = false;
    bool testForeverChecked = false;
    bool errorChecked = false;
    bool timeChecked = false;
    std::string hoursText;
    std::string minutesText;
    // Indexed by PanelControl. "Error", "Time" and the time boxes start greyed.
    std::array<bool, kPanelControlCount> enabled{true, true, true, true, true, false, false, true, false, false};

    bool isEnabled(PanelControl control) const { return enabled[static_cast<int>(control)]; }
    bool operator==(const PanelState&) const = default;
};

class ConsoleModel {
public:
    ConsoleModel() = default;
    ConsoleModel(const ConsoleModel&) = delete;
    ConsoleModel& operator=(const ConsoleModel&) = delete;

    // The panels as a new console shows them: the stop choices and times from the test
    // options, "Enable" ticked for each port the session opened, "Internal LoopTest"
    // clear, counts "0", time boxes available only for "Time", Stop greyed.
    void initialise(const std::array<config::PortTestOptions, config::kPortCount>& portTest,
                    const std::array<std::uint8_t, config::kPortCount>& portOpen);

    PanelState panel(int port) const;

    // Adds text, taken up to its first zero byte, to the end of a box. An append that
    // would take the box beyond kTextBoxLimit leaves it empty.
    void appendSentText(int port, std::string_view text);
    void appendReceivedText(int port, std::string_view text);
    void clearTexts(int port);
    void setPacketCount(int port, std::string text);

    bool isEnableChecked(int port) const;
    void setEnableChecked(int port, bool checked);
    bool isLoopTestChecked(int port) const;
    void setLoopTestChecked(int port, bool checked);
    // Checks one stop choice and clears the other two of the same panel.
    void checkStopChoice(int port, StopChoice choice);
    void setStopTimeTexts(int port, std::string hours, std::string minutes);

    bool isEnabled(int port, PanelControl control) const;
    void setEnabled(int port, std::initializer_list<PanelControl> controls, bool enabled);

    // Ports changed since the last call, one bit per port index; clears them.
    std::uint32_t takeChangedPorts();
    // Called on the changing thread when a change finds no port marked as changed, so at
    // most once between two takeChangedPorts(). It must return at once (post, not paint).
    void setChangeListener(std::function<void()> listener);

private:
    struct Panel {
        mutable std::mutex mutex;
        PanelState state;
    };

    template <typename Change>
    void change(int port, Change&& apply);
    void noteChanged(int port);

    std::array<Panel, config::kPortCount> panels_;
    std::atomic<std::uint32_t> changed_{0};
    std::mutex listenerMutex_;
    std::function<void()> listener_;
};

}  // namespace brenmoor::engine
