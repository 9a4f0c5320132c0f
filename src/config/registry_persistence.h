#pragma once
// The port settings in the profile: read once at start-up, written once at shutdown, all
// in section "Version 1.0" under names "m_PortRegistry[<port>].<field>".
//
// The application calls WritePortSettings only when start-up got as far as
// ReadPortSettings, so a table that was never read never replaces the stored settings.

#include <string>
#include <string_view>

#include "config/port_settings.h"
#include "platform/profile_store.h"

namespace brenmoor::config {

inline constexpr std::string_view kPortSettingsSection = "Version 1.0";

// "m_PortRegistry[" + the port index as one digit + "]." + field.
std::string portValueName(int port, std::string_view field);

// For port 0 to 7: reads its values in the stored order, each with the port's default
// when missing, then completes the port; the write delay becomes "10" after port 0.
// Values are taken as stored, without range checks.
void ReadPortSettings(SettingsTables& tables, const platform::ProfileStore& store);

// For port 0 to 7: recomputes the stop time from the hours and minutes texts, then
// writes all 28 values, changed or not.
void WritePortSettings(SettingsTables& tables, platform::ProfileStore& store);

}  // namespace brenmoor::config
