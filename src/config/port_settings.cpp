#include "config/port_settings.h"

#include "config/decimal_text.h"

namespace brenmoor::config {
namespace {

// Columns of the defaults table, one port each.
PortDefaults makeDefaults(int port) {
    static constexpr std::int32_t kPortOpen[] = {1, 0, 0, 0, 0, 0, 0, 0};
    static constexpr std::int32_t kDTR[] = {1, 0, 1, 0, 1, 0, 1, 0};
    static constexpr std::int32_t kDTRHys[] = {2, 1, 0, 3, 1, 1, 0, 4};
    static constexpr std::int32_t kRTS[] = {0, 1, 0, 1, 0, 1, 0, 1};
    static constexpr std::int32_t kRTSHys[] = {2, 1, 0, 3, 1, 2, 0, 4};
    static constexpr std::int32_t kTxTrig[] = {1, 17, 27, 37, 47, 33, 4, 14};
    static constexpr std::int32_t kRxTrig[] = {3, 19, 29, 39, 49, 44, 5, 15};
    static constexpr std::int32_t kTestForever[] = {0, 1, 1, 1, 0, 1, 1, 1};
    static constexpr std::int32_t kStopError[] = {1, 0, 0, 0, 1, 0, 0, 0};
    static constexpr std::int32_t kHours[] = {1, 2, 3, 4, 5, 6, 7, 8};
    static constexpr std::int32_t kMinutes[] = {10, 20, 30, 40, 50, 60, 17, 18};

    PortDefaults d{};
    PortRegistryEntry& r = d.registry;
    r.nPortOpen = kPortOpen[port];
    r.nBaud = 6;
    r.nDataBits = 3;
    r.nParity = 4;
    r.nStopBits = 0;
    r.nFlowCtrl = 2;
    r.nComBase = 3 + port;
    r.nRS485 = 0;
    r.nIR = 0;
    r.nDTR = kDTR[port];
    r.nDTRHys = kDTRHys[port];
    r.nRTS = kRTS[port];
    r.nRTSHys = kRTSHys[port];
    r.nTxFIFO = 0;
    r.nTxTrig = kTxTrig[port];
    r.nRxFIFO = 0;
    r.nRxTrig = kRxTrig[port];
    d.nQuickBrown = 0;
    d.nAlpha = 1;
    d.nFile = 0;
    d.nUserData = 0;
    d.nTestForever = kTestForever[port];
    d.nStopTime = 0;
    d.nStopError = kStopError[port];
    d.nLoopTest = 0;
    d.stopTime = {kHours[port], kMinutes[port]};
    return d;
}

}  // namespace

const PortDefaults& portDefaults(int port) {
    static const std::array<PortDefaults, kPortCount> table = [] {
        std::array<PortDefaults, kPortCount> t{};
        for (int p = 0; p < kPortCount; ++p) t[p] = makeDefaults(p);
        return t;
    }();
    return table.at(static_cast<std::size_t>(port));
}

const std::string& defaultUserPattern(int port) {
    static const std::array<std::string, kPortCount> patterns = {
        "Yelk Corporation\r\n",
        "Yelk Corporation\r\n",
        "Hello World\r\n",
        "Try,try and try until you succeed\r\n",
        "Octal Serial Port Driver User Interface\r\n",
        "Yelk Corporation\r\n",
        "Yelk Corporation\r\n",
        "Yelk Corporation\r\n",
    };
    return patterns.at(static_cast<std::size_t>(port));
}

void completePortAfterRead(SettingsTables& tables, int port) {
    const auto i = static_cast<std::size_t>(port);
    PortTestOptions& test = tables.m_PortTest.at(i);
    PortDataPattern& pattern = tables.g_PortDataPattern.at(i);

    test.nDisONOFF = tables.m_PortRegistry.at(i).nPortOpen;
    // File data is never persisted, so a stored file choice falls back to the alphabet line.
    if (pattern.nFile != 0) {
        pattern.nFile = 0;
        pattern.nAlpha = 1;
    }
    test.strHrTime = decimalText(tables.m_StopTime.at(i).hours);
    test.strMinTime = decimalText(tables.m_StopTime.at(i).minutes);
    pattern.strUserPattern = defaultUserPattern(port);
    test.strTxData.clear();
    test.strRxData.clear();
}

}  // namespace brenmoor::config
