#include "engine/console_model.h"

#include <utility>

namespace brenmoor::engine {
namespace {

bool isPort(int port) { return port >= 0 && port < config::kPortCount; }

std::string_view upToZeroByte(std::string_view text) { return text.substr(0, text.find('\0')); }

// A box that would overflow reports its limit, and the console empties a box at its limit:
// so neither the old nor the new text remains.
void appendToBox(std::string& box, std::string_view text) {
    const std::string_view shown = upToZeroByte(text);
    if (box.size() + shown.size() > kTextBoxLimit)
        box.clear();
    else
        box.append(shown);
}

}  // namespace

template <typename Change>
void ConsoleModel::change(int port, Change&& apply) {
    if (!isPort(port)) return;
    {
        std::lock_guard lock(panels_[port].mutex);
        apply(panels_[port].state);
    }
    noteChanged(port);
}

void ConsoleModel::noteChanged(int port) {
    const std::uint32_t before = changed_.fetch_or(1u << port);
    if (before != 0) return;
    std::lock_guard lock(listenerMutex_);
    if (listener_) listener_();
}

void ConsoleModel::initialise(const std::array<config::PortTestOptions, config::kPortCount>& portTest,
                              const std::array<std::uint8_t, config::kPortCount>& portOpen) {
    for (int port = 0; port < config::kPortCount; ++port) {
        const config::PortTestOptions& options = portTest[port];
        change(port, [&](PanelState& s) {
            s.loopTestChecked = false;
            s.enableChecked = portOpen[port] != 0;
            s.errorChecked = options.nStopError != 0;
            s.timeChecked = options.nStopTime != 0;
            s.testForeverChecked = options.nTestForever != 0;
            s.hoursText = options.strHrTime;
            s.minutesText = options.strMinTime;
            s.sentText.clear();
            appendToBox(s.sentText, options.strTxData);
            s.receivedText.clear();
            appendToBox(s.receivedText, options.strRxData);
            s.packetCount.assign(1, '0');  // not = "0", which GCC 12 falsely warns about (-Wrestrict)
            // The time boxes are offered only for "Time"; Stop only once the port runs.
            s.enabled[static_cast<int>(PanelControl::Hours)] = options.nStopTime != 0;
            s.enabled[static_cast<int>(PanelControl::Minutes)] = options.nStopTime != 0;
            s.enabled[static_cast<int>(PanelControl::Stop)] = false;
        });
    }
}

PanelState ConsoleModel::panel(int port) const {
    if (!isPort(port)) return {};
    std::lock_guard lock(panels_[port].mutex);
    return panels_[port].state;
}

void ConsoleModel::appendSentText(int port, std::string_view text) {
    change(port, [&](PanelState& s) { appendToBox(s.sentText, text); });
}

void ConsoleModel::appendReceivedText(int port, std::string_view text) {
    change(port, [&](PanelState& s) { appendToBox(s.receivedText, text); });
}

void ConsoleModel::clearTexts(int port) {
    change(port, [](PanelState& s) {
        s.sentText.clear();
        s.receivedText.clear();
    });
}

void ConsoleModel::setPacketCount(int port, std::string text) {
    change(port, [&](PanelState& s) { s.packetCount = std::move(text); });
}

bool ConsoleModel::isEnableChecked(int port) const {
    if (!isPort(port)) return false;
    std::lock_guard lock(panels_[port].mutex);
    return panels_[port].state.enableChecked;
}

void ConsoleModel::setEnableChecked(int port, bool checked) {
    change(port, [&](PanelState& s) { s.enableChecked = checked; });
}

bool ConsoleModel::isLoopTestChecked(int port) const {
    if (!isPort(port)) return false;
    std::lock_guard lock(panels_[port].mutex);
    return panels_[port].state.loopTestChecked;
}

void ConsoleModel::setLoopTestChecked(int port, bool checked) {
    change(port, [&](PanelState& s) { s.loopTestChecked = checked; });
}

void ConsoleModel::checkStopChoice(int port, StopChoice choice) {
    change(port, [&](PanelState& s) {
        s.testForeverChecked = choice == StopChoice::TestForever;
        s.errorChecked = choice == StopChoice::Error;
        s.timeChecked = choice == StopChoice::Time;
    });
}

void ConsoleModel::setStopTimeTexts(int port, std::string hours, std::string minutes) {
    change(port, [&](PanelState& s) {
        s.hoursText = std::move(hours);
        s.minutesText = std::move(minutes);
    });
}

bool ConsoleModel::isEnabled(int port, PanelControl control) const {
    if (!isPort(port)) return false;
    std::lock_guard lock(panels_[port].mutex);
    return panels_[port].state.isEnabled(control);
}

void ConsoleModel::setEnabled(int port, std::initializer_list<PanelControl> controls, bool enabled) {
    change(port, [&](PanelState& s) {
        for (PanelControl control : controls) s.enabled[static_cast<int>(control)] = enabled;
    });
}

std::uint32_t ConsoleModel::takeChangedPorts() { return changed_.exchange(0); }

void ConsoleModel::setChangeListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

}  // namespace brenmoor::engine
