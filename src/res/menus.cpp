#include "res/menus.h"

#include <array>
#include <stdexcept>

#include "res/command_ids.h"

namespace brenmoor::res {
namespace {

MenuEntry command(int id, std::string_view ownText = {}) { return {MenuEntryKind::Command, ownText, id, {}}; }
MenuEntry separator() { return {MenuEntryKind::Separator, {}, 0, {}}; }
MenuEntry popup(std::string_view title, std::vector<MenuEntry> items) {
    return {MenuEntryKind::Popup, title, 0, std::move(items)};
}

MenuEntry viewPopup() { return popup("&View", {command(kCmdViewToolbar), command(kCmdViewStatusBar)}); }

const std::vector<MenuEntry> kNoDocumentMenu{
    popup("&File", {command(kCmdFileNew), command(kCmdFileOpen), separator(), command(kCmdPrintSetup),
                    separator(), {MenuEntryKind::RecentFileList, {}, kCmdRecentFile1, {}}, separator(),
                    command(kCmdExit)}),
    viewPopup(),
    popup("&Help", {command(kCmdAbout, "&About Brenmoor...")}),
};

const std::vector<MenuEntry> kDocumentMenu{
    popup("&Test", {command(kCmdTestStart), command(kCmdTestStop), separator(), command(kCmdWriteDelay),
                    separator(), command(kCmdExit)}),
    popup("&Config", {command(kCmdConfigLoad), command(kCmdConfigSave)}),
    popup("&Setup", {command(kCmdPortSettings)}),
    viewPopup(),
    popup("&Help", {command(kCmdAbout)}),
};

constexpr std::array kToolbar{kCmdPortSettings, kCmdTestStart, kCmdTestStop,
                              kCmdConfigLoad,   kCmdConfigSave, kCmdAbout};

}  // namespace

const std::vector<MenuEntry>& menuBar(int menuId) {
    if (menuId == kMenuNoDocument) return kNoDocumentMenu;
    if (menuId == kMenuDocument) return kDocumentMenu;
    throw std::out_of_range("no such menu");
}

std::span<const int> toolbarButtons() { return kToolbar; }

}  // namespace brenmoor::res
