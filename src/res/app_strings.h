#pragma once
// The shell's strings.

namespace brenmoor::res {

// The application's title: the default caption of message boxes and the profile's name.
inline constexpr const char* kAppTitle = "Brenmoor";
// The main frame's title, shown after the document's.
inline constexpr const char* kFrameTitle = "Quillet";
inline constexpr const char* kDocumentTitle = "Tolvane UART PCI Card Test Application";
// Document strings 129: the name new documents are numbered from.
inline constexpr const char* kDocumentName = "Serial";

inline constexpr const char* kIdleMessage = "For Help, press F1";
inline constexpr const char* kCapsPane = "CAP";
inline constexpr const char* kNumPane = "NUM";
inline constexpr const char* kScrollPane = "SCRL";

inline constexpr const char* kHelpDocumentName = "BrenmoorConfig.doc";
inline constexpr const char* kHelpDocumentMissing =
    "The configuration help file for Serial driver user interface is missing";
inline constexpr const char* kErrorCaption = "Error";

inline constexpr const char* kConfigFileFilters[] = {"Text files (*.txt)", "All files (*.*)"};
inline constexpr const char* kConfigDefaultSuffix = "txt";
inline constexpr const char* kConfigInitialName = "*.txt";

inline constexpr const char* kDelayDialogFailed = "Unable to Open the delay Dialog";
inline constexpr const char* kDelayDialogFailedCaption = "Fandrel";

// Which back end the ports use.
inline constexpr const char* kSimulatedCardNote = "Simulated card";
inline constexpr const char* kDevicesNote = "Serial devices";

}  // namespace brenmoor::res
