#include "app/file_dialogs.h"

#include <QFileSystemModel>
#include <QLineEdit>

#include "res/app_strings.h"

namespace brenmoor::app {
namespace {

bool isPattern(const QString& name) { return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')); }

}  // namespace

ShellFileDialog::ShellFileDialog(FileDialogKind kind, QWidget* owner) : QFileDialog(owner) {
    if (kind == FileDialogKind::OpenDocument) {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
        return;
    }
    QStringList filters;
    for (const char* filter : res::kConfigFileFilters) filters << QString::fromLatin1(filter);
    // The dialog's own widgets, so the all-files entry can be made to list every file:
    // "*.*" leaves out names without a dot on Linux, which is not what "All files" says.
    // Queued, because the dialog applies the entry's own pattern after it announces it.
    setOption(QFileDialog::DontUseNativeDialog);
    setNameFilters(filters);
    connect(this, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        if (filter != QString::fromLatin1(res::kConfigFileFilters[1])) return;
        if (auto* files = findChild<QFileSystemModel*>()) files->setNameFilters({QStringLiteral("*")});
    }, Qt::QueuedConnection);
    setDefaultSuffix(QString::fromLatin1(res::kConfigDefaultSuffix));
    if (kind == FileDialogKind::ConfigLoad) {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
    } else {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    }
    selectFile(QString::fromLatin1(res::kConfigInitialName));
}

void ShellFileDialog::accept() {
    const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString typed = name != nullptr ? name->text().trimmed() : QString();
    if (isPattern(typed)) {
        applyPattern(typed);
        return;
    }
    QFileDialog::accept();
}

void ShellFileDialog::applyPattern(const QString& typed) {
    const qsizetype slash = typed.lastIndexOf(QLatin1Char('/'));
    const QString pattern = typed.mid(slash + 1);
    if (slash >= 0) {
        const QString folder = directory().absoluteFilePath(slash == 0 ? QStringLiteral("/") : typed.left(slash));
        if (QFileInfo(folder).isDir()) setDirectory(folder);
    }
    if (auto* files = findChild<QFileSystemModel*>()) {
        files->setNameFilters(pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    }
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(pattern);
}

std::optional<std::filesystem::path> QtFileChooser::choose(FileDialogKind kind, QWidget* owner) {
    ShellFileDialog dialog(kind, owner);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace brenmoor::app
