#pragma once
// A whole test session on the guest bench's UARTs, run headless through the engine as the
// window runs it: the eight ports at their first-start defaults, COM(4 + p) reaching the
// guest's /dev/ttyS(4 + p), every byte written and read recorded per port.

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "config/port_settings.h"
#include "config/command_flags.h"
#include "engine/headless_window.h"
#include "engine/panel_actions.h"
#include "engine/test_session.h"
#include "platform/com_port_backend.h"
#include "platform/window_notice.h"
#include "support/recording_message_sink.h"
#include "support/traffic_recording_backend.h"

namespace brenmoor::vm {

// The guest device port `port` (0-7) of the tool is wired to.
std::string guestDevice(int port);
// COM(4 + p) to guestDevice(p) for every port.
platform::ComResolver guestResolver();

class GuestSession {
public:
    // The settings a first start reads (no profile), with `ports` ticked for testing.
    explicit GuestSession(const std::vector<int>& ports);

    // Starts the session, then runs every ticked port, with internal loopback where
    // `looped` says so; false when the session did not start.
    bool start(const std::vector<int>& looped);
    // Stops every port, then waits until what the lines still carry has come in: until each
    // port has read all that its far end wrote, or `limit` passed. `farEnd[port]` is the
    // port at the other end of its line; by default each port is its own (a loop or a plug).
    void stopAndDrain(std::chrono::seconds limit, std::vector<int> farEnd = {});
    // Ends the session as the window does once every thread has ended; false when a
    // thread did not end within `limit`.
    bool finish(std::chrono::seconds limit);

    static int com(int port) { return 4 + port; }
    // The packet count the port's panel shows; it stays after the port stops.
    std::string packetCount(int port) const { return console_.model ? console_.model->panel(port).packetCount : ""; }

    config::SettingsTables tables;
    test::RecordingMessageSink messages;
    platform::ComPortBackend devices{guestResolver()};
    test::TrafficRecordingBackend tally{devices};

private:
    std::vector<int> ports_;
    config::CommandFlags flags_;
    engine::ThreadEndCounter ends_;
    engine::HeadlessConsole console_;
    engine::TestSession session_{tables, flags_, tally, messages, ends_, console_};
    engine::PanelActions actions_{session_.engine()};
};

}  // namespace brenmoor::vm
