#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <string_view>

#include "res/app_strings.h"

namespace brenmoor::app {

CommandLineResult parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Test and configuration tool for the 8-port UART PCI card"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption simulated(QStringLiteral("simulated-card"),
                                       QStringLiteral("Run every port on the simulated card."));
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Open COM port n on the device at path (repeatable)."),
                                    QStringLiteral("COMn=path"));
    const QCommandLineOption profile(QStringLiteral("profile"), QStringLiteral("Keep the settings in this file."),
                                     QStringLiteral("path"));
    const QCommandLineOption simPlug(QStringLiteral("sim-plug"),
                                     QStringLiteral("Simulated card: loopback plugs on these ports, e.g. 1,3-4."),
                                     QStringLiteral("list"));
    const QCommandLineOption simPair(QStringLiteral("sim-pair"),
                                     QStringLiteral("Simulated card: a null-modem cable between two ports (repeatable)."),
                                     QStringLiteral("A:B"));
    const QCommandLineOption simFault(
        QStringLiteral("sim-fault"),
        QStringLiteral("Simulated card: a fault (stall, read-error, hang-up, unplug) on a port, SECONDS after "
                       "start-up (repeatable)."),
        QStringLiteral("PORT:KIND[@SECONDS]"));
    parser.addOptions({simulated, device, profile, simPlug, simPair, simFault});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A document to open."), QStringLiteral("[file]"));

    CommandLineResult result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText().toStdString();
        return result;
    }
    if (parser.isSet(help)) parser.showHelp();
    if (parser.isSet(version)) parser.showVersion();
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.error = "Only one document can be opened: " + files.join(QLatin1Char(' ')).toStdString();
        return result;
    }
    CommandLine& options = result.options;
    options.simulatedCard = parser.isSet(simulated);
    for (const QString& value : parser.values(device)) options.devices.push_back(value.toStdString());
    for (const QCommandLineOption* option : {&simPlug, &simPair, &simFault}) {
        const std::string name = option->names().front().toStdString();
        for (const QString& value : parser.values(*option)) {
            std::string error;
            if (!platform::addSimulatedCardOption(options.simulated, name, value.toStdString(), error)) {
                result.error = "--" + name + " " + value.toStdString() + ": " + error;
                return result;
            }
        }
    }
    if (parser.isSet(profile)) options.profile = parser.value(profile).toStdString();
    if (!files.isEmpty()) options.documentFile = files.front().toStdString();
    return result;
}

bool asksForHelpOrVersion(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") return false;
        for (const std::string_view name : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (argument == name) return true;
    }
    return false;
}

std::string answerHelpOrVersion(const QStringList& arguments) {
    identifyApplication();
    return parseCommandLine(arguments).error;
}

void identifyApplication() {
    QCoreApplication::setApplicationName(QString::fromLatin1(res::kAppTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRENMOOR_VERSION));
}

}  // namespace brenmoor::app
