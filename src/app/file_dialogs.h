#pragma once
// The file dialogs of the shell's commands, behind FileChooser so tests can supply the
// chosen path.

#include <QFileDialog>
#include <filesystem>
#include <optional>

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
// "*.txt" as the initial name. A name holding a wildcard ('*' or '?') is a filter, not a
// file: confirming it lists the files it matches (a folder in front of it is opened first)
// and the dialog stays open. Load accepts only an existing file; Save accepts a new name
// too (otherwise no new configuration file could be made), gives a name without an
// extension ".txt", and asks before it replaces a file. Opening a document accepts any
// existing file.
class ShellFileDialog : public QFileDialog {
    Q_OBJECT
public:
    ShellFileDialog(FileDialogKind kind, QWidget* owner = nullptr);

    void accept() override;

private:
    void applyPattern(const QString& typed);
};

class QtFileChooser final : public FileChooser {
public:
    std::optional<std::filesystem::path> choose(FileDialogKind kind, QWidget* owner) override;
};

}  // namespace brenmoor::app
