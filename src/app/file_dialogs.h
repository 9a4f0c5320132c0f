#pragma once
// The file dialogs of the shell's commands, behind FileChooser so tests can supply the
// chosen path.

#include <filesystem>
#include <optional>

class QFileDialog;
class QWidget;

namespace brenmoor::app {

enum class FileDialogKind { ConfigLoad, ConfigSave, OpenDocument };

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The path the operator chose, or nullopt when the dialog was cancelled.
    virtual std::optional<std::filesystem::path> choose(FileDialogKind kind, QWidget* owner) = 0;
};

// The configuration dialogs: the text-file and all-file filters, the "txt" suffix and
// "*.txt" as the initial name. Load accepts only an existing file; Save accepts a new
// name too (otherwise no new configuration file could be made) and replaces a file
// without asking. Opening a document accepts any existing file.
void setUpFileDialog(QFileDialog& dialog, FileDialogKind kind);

class QtFileChooser final : public FileChooser {
public:
    std::optional<std::filesystem::path> choose(FileDialogKind kind, QWidget* owner) override;
};

}  // namespace brenmoor::app
