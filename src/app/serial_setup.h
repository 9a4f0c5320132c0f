#pragma once
// The serial back end chosen at start-up from the profile and the window's command line,
// and how the window describes it.

#include <QString>

#include "app/command_line.h"
#include "config/port_settings.h"
#include "platform/com_port_backend.h"
#include "platform/profile_store.h"
#include "platform/serial_backend_setup.h"

namespace brenmoor::app {

platform::SerialSetup makeSerialBackend(const CommandLine& options, const platform::ProfileStore& profile);

// Which back end the ports use, in a few words, and in full (one line per port).
struct BackendNote {
    QString text;
    QString details;
};
BackendNote describeBackend(const platform::ComPortBackend& backend, const config::SettingsTables& tables);

}  // namespace brenmoor::app
