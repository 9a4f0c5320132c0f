#include "app/help_document.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <system_error>

#include "res/app_strings.h"

namespace brenmoor::app {

std::vector<std::filesystem::path> helpDocumentDirectories(const std::filesystem::path& executableDirectory) {
    std::vector<std::filesystem::path> directories;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!error) directories.push_back(current);
    directories.push_back(executableDirectory);
    // Installed, the data directory sits at the same place relative to the executable
    // whatever the prefix.
    directories.push_back((executableDirectory / BRENMOOR_DATA_FROM_BIN).lexically_normal());
    return directories;
}

std::vector<std::filesystem::path> helpDocumentDirectories() {
    return helpDocumentDirectories(QCoreApplication::applicationDirPath().toStdString());
}

std::optional<std::filesystem::path> findHelpDocument(const std::vector<std::filesystem::path>& directories) {
    for (const auto& directory : directories) {
        const std::filesystem::path candidate = directory / res::kHelpDocumentName;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return std::nullopt;
}

bool openWithDesktop(const QUrl& url) { return QDesktopServices::openUrl(url); }

void runHelpDocumentCommand(const std::vector<std::filesystem::path>& directories, const DocumentOpener& open,
                            platform::MessageSink& messages) {
    const auto document = findHelpDocument(directories);
    if (!document) {
        messages.showMessage({res::kHelpDocumentMissing, res::kErrorCaption, platform::MessageIcon::Warning,
                              platform::MessageOwner::MainWindow});
        return;
    }
    open(QUrl::fromLocalFile(QString::fromStdString(document->string())));
}

}  // namespace brenmoor::app
