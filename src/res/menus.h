#pragma once
// Menus 128 (no document window open) and 129 (the document window open), and toolbar 128,
// as data.

#include <span>
#include <string_view>
#include <vector>

namespace brenmoor::res {

enum class MenuEntryKind {
    Command,         // text from the command table unless the entry gives its own
    Separator,
    Popup,
    RecentFileList,  // the recent-file entries, or the greyed "Recent File" when there are none
};

struct MenuEntry {
    MenuEntryKind kind;
    std::string_view text;  // popup title, or a command's own text in this menu
    int commandId = 0;
    std::vector<MenuEntry> items;  // a popup's entries
};

inline constexpr int kMenuNoDocument = 128;
inline constexpr int kMenuDocument = 129;

// The popups of the menu bar, left to right.
const std::vector<MenuEntry>& menuBar(int menuId);

// Toolbar 128: its buttons left to right, without separators.
std::span<const int> toolbarButtons();
inline constexpr int kToolbarImageWidth = 15;
inline constexpr int kToolbarImageHeight = 14;

}  // namespace brenmoor::res
