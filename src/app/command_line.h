#pragma once
// The tool's command line: the serial back end (--simulated-card, --device COMn=/path, which
// may be repeated), the simulated card's wiring and faults (--sim-plug LIST, --sim-pair A:B,
// --sim-fault PORT:KIND[@SECONDS]), the profile's location (--profile PATH) and at most one
// document file.

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "platform/simulated_card_options.h"

namespace brenmoor::app {

struct CommandLine {
    bool simulatedCard = false;
    std::vector<std::string> devices;  // "COMn=/path", as given
    platform::SimulatedCardOptions simulated;
    std::optional<std::string> profile;
    std::optional<std::string> documentFile;
};

struct CommandLineResult {
    CommandLine options;
    std::string error;  // set when the line could not be read
};

// Reads `arguments` (the program name first). --help and --version print their text and
// end the process.
CommandLineResult parseCommandLine(const QStringList& arguments);

// Whether the line asks for help or the version: text for the terminal, which must not need
// a display, so it is answered before the window system is opened.
bool asksForHelpOrVersion(int argc, const char* const argv[]);

// Answers such a line; a core application must exist. Prints the text and ends the process,
// or returns what is wrong with the line: empty when the flag was another option's value
// and the tool starts as usual.
std::string answerHelpOrVersion(const QStringList& arguments);

// The name and version that --version, the window and the settings go by.
void identifyApplication();

}  // namespace brenmoor::app
