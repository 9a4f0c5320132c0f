#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>

#include "res/app_strings.h"

namespace brenmoor::app {

void setUpFileDialog(QFileDialog& dialog, FileDialogKind kind) {
    if (kind == FileDialogKind::OpenDocument) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return;
    }
    QStringList filters;
    for (const char* filter : res::kConfigFileFilters) filters << QString::fromLatin1(filter);
    // The dialog's own widgets, so the all-files entry can be made to list every file:
    // "*.*" leaves out names without a dot on Linux, which is not what "All files" says.
    // Queued, because the dialog applies the entry's own pattern after it announces it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        if (filter != QString::fromLatin1(res::kConfigFileFilters[1])) return;
        if (auto* files = dialog.findChild<QFileSystemModel*>()) files->setNameFilters({QStringLiteral("*")});
    }, Qt::QueuedConnection);
    dialog.setDefaultSuffix(QString::fromLatin1(res::kConfigDefaultSuffix));
    dialog.selectFile(QString::fromLatin1(res::kConfigInitialName));
    if (kind == FileDialogKind::ConfigLoad) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
}

std::optional<std::filesystem::path> QtFileChooser::choose(FileDialogKind kind, QWidget* owner) {
    QFileDialog dialog(owner);
    setUpFileDialog(dialog, kind);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace brenmoor::app
