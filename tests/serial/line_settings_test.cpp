#include "serial/line_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using brenmoor::config::PortRegistryEntry;
using brenmoor::platform::LineState;
using brenmoor::platform::Parity;
using brenmoor::platform::RtsControl;
using brenmoor::platform::StopBits;
using brenmoor::serial::applyStoredLineSettings;

// 9600 8N1, no flow control.
PortRegistryEntry lineEntry() {
    PortRegistryEntry e;
    e.nBaud = 6;
    e.nDataBits = 3;
    e.nParity = 4;
    e.nStopBits = 0;
    e.nFlowCtrl = 2;
    return e;
}

// What the port reports, with every field unlike what the open sets, so that a field the
// open should keep but overwrites, or should set but keeps, shows in the comparison.
LineState reportedState(bool flags) {
    LineState s;
    s.baudRate = 1;
    s.byteSize = 6;
    s.parity = Parity::Even;
    s.stopBits = StopBits::Two;
    s.binary = false;
    s.dtrEnable = false;
    s.outxCtsFlow = flags;
    s.outxDsrFlow = flags;
    s.rtsControl = flags ? RtsControl::Handshake : RtsControl::Enable;
    s.outX = flags;
    s.inX = flags;
    s.txContinueOnXoff = flags;
    s.xonChar = 'Q';
    s.xoffChar = 'S';
    return s;
}

// The state the open must produce for lineEntry() over `reported`, before a case's change.
LineState baseExpected(LineState reported) {
    reported.baudRate = 9600;
    reported.byteSize = 8;
    reported.parity = Parity::None;
    reported.stopBits = StopBits::One;
    reported.binary = true;
    reported.dtrEnable = true;
    reported.outxCtsFlow = false;
    reported.outxDsrFlow = false;
    reported.rtsControl = RtsControl::Enable;
    reported.outX = false;
    reported.inX = false;
    return reported;
}

struct LineCase {
    std::string name;
    std::function<void(PortRegistryEntry&)> stored;
    std::function<void(LineState&)> expected;
};

void checkCases(const std::vector<LineCase>& cases) {
    for (bool flags : {false, true}) {
        for (const LineCase& c : cases) {
            SCOPED_TRACE(c.name + (flags ? ", port reported every flag set" : ", port reported flags clear"));
            PortRegistryEntry entry = lineEntry();
            c.stored(entry);
            LineState state = reportedState(flags);
            LineState expected = baseExpected(state);
            c.expected(expected);
            applyStoredLineSettings(entry, state);
            EXPECT_EQ(state, expected);
        }
    }
}

TEST(LineSettings, BaudRateDataBitsAndParityFollowTheirLists) {
    const std::uint32_t rates[] = {110,   300,   600,    1200,   2400,   4800,   9600,
                                   19200, 38400, 57600, 115200, 230400, 460800, 921600};
    const std::uint8_t sizes[] = {5, 6, 7, 8};
    const Parity parities[] = {Parity::Odd, Parity::Even, Parity::Mark, Parity::Space, Parity::None};
    std::vector<LineCase> cases;
    for (int i = 0; i < 14; ++i)
        cases.push_back({"nBaud " + std::to_string(i), [i](auto& e) { e.nBaud = i; },
                         [&rates, i](auto& s) { s.baudRate = rates[i]; }});
    for (int i = 0; i < 4; ++i)
        cases.push_back({"nDataBits " + std::to_string(i), [i](auto& e) { e.nDataBits = i; },
                         [&sizes, i](auto& s) { s.byteSize = sizes[i]; }});
    for (int i = 0; i < 5; ++i)
        cases.push_back({"nParity " + std::to_string(i), [i](auto& e) { e.nParity = i; },
                         [&parities, i](auto& s) { s.parity = parities[i]; }});
    checkCases(cases);
}

TEST(LineSettings, SecondStopBitPositionMeansWhatTheSheetShows) {
    struct StopCase {
        int stopBits, dataBits;
        StopBits expected;
    };
    const StopCase stops[] = {
        {0, 0, StopBits::One},          {0, 3, StopBits::One},
        {1, 0, StopBits::OnePointFive},  // shown as "1.5" with five data bits
        {1, 1, StopBits::Two},          {1, 2, StopBits::Two}, {1, 3, StopBits::Two},
        {2, 0, StopBits::Two},          {2, 3, StopBits::Two},
    };
    const std::uint8_t sizes[] = {5, 6, 7, 8};
    std::vector<LineCase> cases;
    for (const StopCase& c : stops)
        cases.push_back({"nStopBits " + std::to_string(c.stopBits) + " with nDataBits " + std::to_string(c.dataBits),
                         [c](auto& e) {
                             e.nStopBits = c.stopBits;
                             e.nDataBits = c.dataBits;
                         },
                         [c, &sizes](auto& s) {
                             s.stopBits = c.expected;
                             s.byteSize = sizes[c.dataBits];
                         }});
    checkCases(cases);
}

TEST(LineSettings, FlowControlSetsExactlyItsFlags) {
    const auto hardware = [](LineState& s) {
        s.outxCtsFlow = true;
        s.outxDsrFlow = true;
        s.rtsControl = RtsControl::Handshake;
    };
    const auto software = [](LineState& s) {
        s.outX = true;
        s.inX = true;
        s.txContinueOnXoff = true;
    };
    const auto none = [](LineState&) {};
    checkCases({
        {"nFlowCtrl 0 (hardware)", [](auto& e) { e.nFlowCtrl = 0; }, hardware},
        {"nFlowCtrl 1 (software)", [](auto& e) { e.nFlowCtrl = 1; }, software},
        {"nFlowCtrl 2 (none)", [](auto& e) { e.nFlowCtrl = 2; }, none},
        {"nFlowCtrl 3", [](auto& e) { e.nFlowCtrl = 3; }, none},
        {"nFlowCtrl -1", [](auto& e) { e.nFlowCtrl = -1; }, none},
    });
}

}  // namespace
