#include "config/registry_persistence.h"

#include "config/decimal_text.h"

namespace brenmoor::config {
namespace {

using Tables = SettingsTables;

// One stored value of a port: where it lives in the tables and, for the values read at
// start-up, its default. nDisONOFF has no default: it is only ever written.
struct StoredField {
    const char* name;
    std::int32_t& (*value)(Tables&, std::size_t port);
    std::int32_t (*fallback)(const PortDefaults&);
};

template <std::int32_t PortRegistryEntry::*M>
constexpr StoredField entryField(const char* name) {
    return {name, [](Tables& t, std::size_t p) -> std::int32_t& { return t.m_PortRegistry[p].*M; },
            [](const PortDefaults& d) { return d.registry.*M; }};
}

template <std::int32_t PortDataPattern::*M, std::int32_t PortDefaults::*D>
constexpr StoredField patternField(const char* name) {
    return {name, [](Tables& t, std::size_t p) -> std::int32_t& { return t.g_PortDataPattern[p].*M; },
            [](const PortDefaults& d) { return d.*D; }};
}

template <std::int32_t PortTestOptions::*M, std::int32_t PortDefaults::*D>
constexpr StoredField testField(const char* name) {
    return {name, [](Tables& t, std::size_t p) -> std::int32_t& { return t.m_PortTest[p].*M; },
            [](const PortDefaults& d) { return d.*D; }};
}

template <std::int32_t StopTime::*M>
constexpr StoredField stopTimeField(const char* name) {
    return {name, [](Tables& t, std::size_t p) -> std::int32_t& { return t.m_StopTime[p].*M; },
            [](const PortDefaults& d) { return d.stopTime.*M; }};
}

// Read order, and write order with nDisONOFF in its place after nLoopTest.
constexpr StoredField kFields[] = {
    entryField<&PortRegistryEntry::nPortOpen>("nPortOpen"),
    entryField<&PortRegistryEntry::nBaud>("nBaud"),
    entryField<&PortRegistryEntry::nDataBits>("nDataBits"),
    entryField<&PortRegistryEntry::nParity>("nParity"),
    entryField<&PortRegistryEntry::nStopBits>("nStopBits"),
    entryField<&PortRegistryEntry::nFlowCtrl>("nFlowCtrl"),
    entryField<&PortRegistryEntry::nComBase>("nComBase"),
    entryField<&PortRegistryEntry::nRS485>("nRS485"),
    entryField<&PortRegistryEntry::nIR>("nIR"),
    entryField<&PortRegistryEntry::nDTR>("nDTR"),
    entryField<&PortRegistryEntry::nDTRHys>("nDTRHys"),
    entryField<&PortRegistryEntry::nRTS>("nRTS"),
    entryField<&PortRegistryEntry::nRTSHys>("nRTSHys"),
    entryField<&PortRegistryEntry::nTxFIFO>("nTxFIFO"),
    entryField<&PortRegistryEntry::nTxTrig>("nTxTrig"),
    entryField<&PortRegistryEntry::nRxFIFO>("nRxFIFO"),
    entryField<&PortRegistryEntry::nRxTrig>("nRxTrig"),
    patternField<&PortDataPattern::nQuickBrown, &PortDefaults::nQuickBrown>("nQuickBrown"),
    patternField<&PortDataPattern::nAlpha, &PortDefaults::nAlpha>("nAlpha"),
    patternField<&PortDataPattern::nFile, &PortDefaults::nFile>("nFile"),
    patternField<&PortDataPattern::nUserData, &PortDefaults::nUserData>("nUserData"),
    testField<&PortTestOptions::nTestForever, &PortDefaults::nTestForever>("nTestForever"),
    testField<&PortTestOptions::nStopTime, &PortDefaults::nStopTime>("nStopTime"),
    testField<&PortTestOptions::nStopError, &PortDefaults::nStopError>("nStopError"),
    testField<&PortTestOptions::nLoopTest, &PortDefaults::nLoopTest>("nLoopTest"),
    {"nDisONOFF", [](Tables& t, std::size_t p) -> std::int32_t& { return t.m_PortTest[p].nDisONOFF; }, nullptr},
    stopTimeField<&StopTime::hours>("strHrTime"),
    stopTimeField<&StopTime::minutes>("strMinTime"),
};

}  // namespace

std::string portValueName(int port, std::string_view field) {
    std::string name = "m_PortRegistry[";
    name += static_cast<char>('0' + port);
    name += "].";
    name += field;
    return name;
}

void ReadPortSettings(SettingsTables& tables, const platform::ProfileStore& store) {
    for (int port = 0; port < kPortCount; ++port) {
        const auto p = static_cast<std::size_t>(port);
        const PortDefaults& defaults = portDefaults(port);
        for (const StoredField& field : kFields) {
            if (field.fallback == nullptr) continue;
            field.value(tables, p) = store.readInt(kPortSettingsSection, portValueName(port, field.name), field.fallback(defaults));
        }
        completePortAfterRead(tables, port);
        if (port == 0) tables.m_strWriteDelay.setText(kDefaultWriteDelay);
    }
}

void WritePortSettings(SettingsTables& tables, platform::ProfileStore& store) {
    for (int port = 0; port < kPortCount; ++port) {
        const auto p = static_cast<std::size_t>(port);
        const PortTestOptions& test = tables.m_PortTest[p];
        tables.m_StopTime[p] = {parseLeadingDecimal(test.strHrTime), parseLeadingDecimal(test.strMinTime)};
        for (const StoredField& field : kFields) {
            store.writeInt(kPortSettingsSection, portValueName(port, field.name), field.value(tables, p));
        }
    }
}

}  // namespace brenmoor::config
