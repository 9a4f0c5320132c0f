#pragma once
// The settings tables of the eight ports: line and UART settings, test-console options,
// data patterns, stop times and the write delay, with their defaults.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/write_delay.h"

namespace brenmoor::config {

constexpr int kPortCount = 8;
constexpr std::size_t kFileDataSize = 60000;

// Line and UART settings of one port: list positions and 0/1 flags.
struct PortRegistryEntry {
    std::int32_t nBaud = 0;
    std::int32_t nDataBits = 0;
    std::int32_t nParity = 0;
    std::int32_t nStopBits = 0;
    std::int32_t nComBase = 0;
    std::int32_t nRS485 = 0;
    std::int32_t nIR = 0;
    std::int32_t nRTS = 0;
    std::int32_t nDTR = 0;
    std::int32_t nTxFIFO = 0;
    std::int32_t nRxFIFO = 0;
    std::int32_t nFlowCtrl = 0;
    std::int32_t nPortOpen = 0;
    std::int32_t nDTRHys = 0;
    std::int32_t nRTSHys = 0;
    std::int32_t nRxTrig = 0;
    std::int32_t nTxTrig = 0;

    bool operator==(const PortRegistryEntry&) const = default;
};

// The COM number the port opens as: its list position plus one, in 64 bits so that a damaged
// position at the top of the range does not wrap onto a real number.
inline std::int64_t comNumber(const PortRegistryEntry& entry) { return std::int64_t{entry.nComBase} + 1; }

struct PortTestOptions {
    std::int32_t nDisONOFF = 0;
    std::int32_t nTestForever = 0;
    std::int32_t nStopError = 0;
    std::int32_t nStopTime = 0;
    std::int32_t nLoopTest = 0;
    std::string strHrTime;
    std::string strMinTime;
    std::string strTxData;
    std::string strRxData;

    bool operator==(const PortTestOptions&) const = default;
};

// The persisted form of a port's stop time.
struct StopTime {
    std::int32_t hours = 0;
    std::int32_t minutes = 0;

    bool operator==(const StopTime&) const = default;
};

// The longest user text the data pattern dialog accepts and a packet carries.
inline constexpr std::size_t kUserPatternLimit = 100;

struct PortDataPattern {
    std::int32_t nQuickBrown = 0;
    std::int32_t nAlpha = 0;
    std::int32_t nFile = 0;
    std::int32_t nUserData = 0;
    std::string strUserPattern;
    std::array<std::uint8_t, kFileDataSize> FileData{};
    std::int32_t nFileDataLen = 0;  // valid bytes in FileData, 0 to kFileDataSize
};

// Everything the tool remembers about the ports, addressed by port index 0-7. One instance
// lives for the whole run (the application owns it); tests make their own.
struct SettingsTables {
    std::array<PortRegistryEntry, kPortCount> m_PortRegistry{};
    std::array<PortTestOptions, kPortCount> m_PortTest{};
    std::array<PortDataPattern, kPortCount> g_PortDataPattern{};
    std::array<StopTime, kPortCount> m_StopTime{};
    WriteDelay m_strWriteDelay;
};

// The defaults of one port, used for every value missing from the profile.
struct PortDefaults {
    PortRegistryEntry registry;
    std::int32_t nQuickBrown, nAlpha, nFile, nUserData;
    std::int32_t nTestForever, nStopTime, nStopError, nLoopTest;
    StopTime stopTime;
};

const PortDefaults& portDefaults(int port);

// The user pattern every port starts with, whatever the profile holds.
const std::string& defaultUserPattern(int port);

// The steps that follow reading one port's values at start-up: nDisONOFF from nPortOpen,
// a stored file choice turned into the alphabet line, the stop-time texts, the default
// user pattern, empty box texts.
void completePortAfterRead(SettingsTables& tables, int port);

// The write delay every run starts with.
inline constexpr const char* kDefaultWriteDelay = "10";

}  // namespace brenmoor::config
