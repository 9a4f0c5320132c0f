#include "res/command_table.h"

#include <algorithm>
#include <array>

#include "res/command_ids.h"

namespace brenmoor::res {
namespace {

constexpr std::array kCommands{
    CommandInfo{kCmdPortSettings, "Por&t Settings...",
                "Opens a tabbed dialog to enter the port settings\nPortSettings", EnableRule::Setup},
    CommandInfo{kCmdTestStart, "&Start...",
                "Opens the dialog for testing  the selected serial ports\nTest Start", EnableRule::Start},
    CommandInfo{kCmdTestStop, "Sto&p",
                "Stops the testing and closes the ports and terminates the threads\nTest Stop",
                EnableRule::Stop},
    CommandInfo{kCmdConfigLoad, "&Load...", "Loads the Port configuration from a file\nLoad Config",
                EnableRule::Setup},
    CommandInfo{kCmdConfigSave, "&Save...", "Saves the Port Configuration to a file\nSave Config",
                EnableRule::Always},
    CommandInfo{kCmdAbout, "&About Quillet...",
                "Display program information, version number and copyright\nAbout", EnableRule::Always},
    CommandInfo{kCmdWriteDelay, "Delay", "", EnableRule::Always},
    CommandInfo{kCmdExit, "E&xit", "Quit the application; prompts to save documents\nExit",
                EnableRule::Start},
    CommandInfo{kCmdHelpDocument, "",
                "Gives the details as how to load and save port configuration files", EnableRule::Always},
    CommandInfo{kCmdFileNew, "&New\tCtrl+N", "Create a new document\nNew", EnableRule::Always},
    CommandInfo{kCmdFileOpen, "&Open...\tCtrl+O", "Open an existing document\nOpen", EnableRule::Always},
    CommandInfo{kCmdPrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup",
                EnableRule::Always},
    CommandInfo{kCmdRecentFile1, "Recent File", "Open this document", EnableRule::Always},
    CommandInfo{kCmdViewToolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", EnableRule::Always},
    CommandInfo{kCmdViewStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
                EnableRule::Always},
    CommandInfo{kCmdHelp, "", "Display help for current task or command\nHelp", EnableRule::Always},
    CommandInfo{kCmdContextHelp, "", "Display help for clicked on buttons, menus and windows\nHelp",
                EnableRule::Always},
};

std::pair<std::string_view, std::string_view> splitAt(std::string_view text, char separator) {
    const auto at = text.find(separator);
    if (at == std::string_view::npos) return {text, {}};
    return {text.substr(0, at), text.substr(at + 1)};
}

}  // namespace

std::span<const CommandInfo> commandTable() { return kCommands; }

const CommandInfo* findCommand(int id) {
    // Every recent-file entry shares the first one's row.
    if (id > kCmdRecentFile1 && id < kCmdRecentFile1 + kRecentFileCount) id = kCmdRecentFile1;
    const auto it = std::ranges::find(kCommands, id, &CommandInfo::id);
    return it == kCommands.end() ? nullptr : &*it;
}

bool isCommandEnabled(const CommandInfo& command, const config::CommandFlags& flags) {
    switch (command.enable) {
    case EnableRule::Always: return true;
    case EnableRule::Setup: return flags.m_bEnableSetup != 0;
    case EnableRule::Start: return flags.m_bEnableStart != 0;
    case EnableRule::Stop: return flags.m_bEnableStop != 0;
    }
    return false;
}

bool isCommandEnabled(int id, const config::CommandFlags& flags) {
    const CommandInfo* command = findCommand(id);
    return command != nullptr && isCommandEnabled(*command, flags);
}

std::string_view menuLabel(std::string_view menuText) { return splitAt(menuText, '\t').first; }
std::string_view menuAccelerator(std::string_view menuText) { return splitAt(menuText, '\t').second; }
std::string_view statusPrompt(std::string_view prompt) { return splitAt(prompt, '\n').first; }
std::string_view toolTip(std::string_view prompt) { return splitAt(prompt, '\n').second; }

}  // namespace brenmoor::res
