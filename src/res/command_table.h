#pragma once
// The command table: for each command its menu text (with its access key and, after a tab,
// its accelerator), its prompt ("status-bar text\ntool tip") and the rule that enables it.
// Enabling depends on the three command flags alone.

#include <span>
#include <string>
#include <string_view>

#include "config/command_flags.h"

namespace brenmoor::res {

enum class EnableRule {
    Always,
    Setup,  // m_bEnableSetup: Port Settings, Config Load
    Start,  // m_bEnableStart: Test Start, Exit
    Stop,   // m_bEnableStop: Test Stop
};

struct CommandInfo {
    int id;
    std::string_view menuText;  // empty: no menu item
    std::string_view prompt;    // empty: none
    EnableRule enable;
};

std::span<const CommandInfo> commandTable();
// Null for an identifier the table does not hold.
const CommandInfo* findCommand(int id);

bool isCommandEnabled(const CommandInfo& command, const config::CommandFlags& flags);
// False for an identifier the table does not hold.
bool isCommandEnabled(int id, const config::CommandFlags& flags);

// The parts of a menu text and of a prompt.
std::string_view menuLabel(std::string_view menuText);        // before the tab
std::string_view menuAccelerator(std::string_view menuText);  // after the tab, or empty
std::string_view statusPrompt(std::string_view prompt);       // before "\n"
std::string_view toolTip(std::string_view prompt);            // after "\n", or empty

}  // namespace brenmoor::res
