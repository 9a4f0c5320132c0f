#include "app/serial_setup.h"

#include <QStringList>

#include "res/app_strings.h"

namespace brenmoor::app {

platform::SerialSetup makeSerialBackend(const CommandLine& options, const platform::ProfileStore& profile) {
    return platform::makeSerialBackend(options.simulatedCard, options.devices, options.simulated, profile);
}

BackendNote describeBackend(const platform::ComPortBackend& backend, const config::SettingsTables& tables) {
    const platform::ComResolver& resolver = backend.resolver();
    QStringList all;
    QStringList selected;
    for (int port = 0; port < config::kPortCount; ++port) {
        const int com = static_cast<int>(config::comNumber(tables.m_PortRegistry[static_cast<std::size_t>(port)]));
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
