#include "app/serial_setup.h"

#include <QStringList>
#include <algorithm>
#include <cctype>

#include "res/app_strings.h"

namespace brenmoor::app {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The COM number the port opens as: the list position plus one.
int comNumberOf(const config::SettingsTables& tables, int port) {
    return tables.m_PortRegistry[static_cast<std::size_t>(port)].nComBase + 1;
}

}  // namespace

SerialSetup makeSerialBackend(const CommandLine& options, const platform::ProfileStore& profile) {
    SerialSetup setup;
    platform::ComResolver resolver;
    for (const std::string& name : profile.names(kDevicesSection)) {
        if (sameName(name, kSimulatedCardName)) {
            resolver.useSimulatedCard(profile.readInt(kDevicesSection, name, 0) != 0);
            continue;
        }
        std::string error;
        const std::string entry = name + "=" + profile.readString(kDevicesSection, name).value_or("");
        if (const auto override = platform::parseDeviceOverride(entry, error)) {
            resolver.setOverride(*override);
        } else {
            setup.warnings.push_back("The [Devices] entry " + entry + " in " + profile.path().string() +
                                     " is ignored: " + error);
        }
    }
    for (const std::string& value : options.devices) {
        std::string error;
        const auto override = platform::parseDeviceOverride(value, error);
        if (!override) {
            setup.error = "--device " + value + ": " + error;
            return setup;
        }
        resolver.setOverride(*override);
    }
    if (options.simulatedCard) resolver.useSimulatedCard(true);
    setup.backend = std::make_unique<platform::ComPortBackend>(resolver);
    return setup;
}

BackendNote describeBackend(const platform::ComPortBackend& backend, const config::SettingsTables& tables) {
    const platform::ComResolver& resolver = backend.resolver();
    QStringList all;
    QStringList selected;
    for (int port = 0; port < config::kPortCount; ++port) {
        const int com = comNumberOf(tables, port);
        QString line = QString::fromStdString(resolver.describe(com));
        if (const auto extras = backend.extras(com)) {
            line += QStringLiteral(" (") + QString::fromStdString(platform::describeExtras(*extras)) + QLatin1Char(')');
        }
        all << QStringLiteral("Port%1 ").arg(port + 1) + line;
        if (tables.m_PortRegistry[static_cast<std::size_t>(port)].nPortOpen != 0) {
            selected << QString::fromStdString(resolver.describe(com));
        }
    }
    const QString details = all.join(QLatin1Char('\n'));
    if (resolver.usesSimulatedCard()) return {QString::fromLatin1(res::kSimulatedCardNote), details};
    if (selected.isEmpty()) return {QString::fromLatin1(res::kDevicesNote), details};
    return {selected.join(QStringLiteral(", ")), details};
}

}  // namespace brenmoor::app
