#pragma once
// The help document command: the configuration help file is looked for by name in the
// current directory, then beside the executable, then in the installed data directory, and
// handed to the desktop to open.

#include <QUrl>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/message_box.h"

namespace brenmoor::app {

// The directories looked in, in order: the current directory, the executable's, then the
// data directory an installation puts beside the executable's (share/brenmoor).
std::vector<std::filesystem::path> helpDocumentDirectories(const std::filesystem::path& executableDirectory);
// The same for the running executable.
std::vector<std::filesystem::path> helpDocumentDirectories();

// The first regular file named like the help document in `directories`.
std::optional<std::filesystem::path> findHelpDocument(const std::vector<std::filesystem::path>& directories);

// Opens a document with the desktop's application for it.
using DocumentOpener = std::function<bool(const QUrl&)>;
bool openWithDesktop(const QUrl& url);

// Opens the help document, or reports that it is missing. The desktop's answer tells
// only whether a launcher started, so only a missing file is reported.
void runHelpDocumentCommand(const std::vector<std::filesystem::path>& directories, const DocumentOpener& open,
                            platform::MessageSink& messages);

}  // namespace brenmoor::app
