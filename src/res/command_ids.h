#pragma once
// Command identifiers: the application's own and the framework's standard ones it uses.

namespace brenmoor::res {

// The application's commands.
inline constexpr int kCmdConfigLoad = 32771;
inline constexpr int kCmdConfigSave = 32772;
inline constexpr int kCmdTestStart = 32777;
inline constexpr int kCmdTestStop = 32778;
inline constexpr int kCmdHelpDocument = 32784;
inline constexpr int kCmdPortSettings = 32785;
inline constexpr int kCmdWriteDelay = 32786;

// Standard commands of the document frame.
inline constexpr int kCmdFileNew = 57600;
inline constexpr int kCmdFileOpen = 57601;
inline constexpr int kCmdPrintSetup = 57606;
inline constexpr int kCmdRecentFile1 = 57616;  // File1; the other entries follow on
inline constexpr int kRecentFileCount = 4;
inline constexpr int kCmdAbout = 57664;
inline constexpr int kCmdExit = 57665;
inline constexpr int kCmdContextHelp = 57669;
inline constexpr int kCmdHelp = 57670;
inline constexpr int kCmdViewToolbar = 59392;
inline constexpr int kCmdViewStatusBar = 59393;

}  // namespace brenmoor::res
