#include "console/send_file_chooser.h"

#include <QFileDialog>

namespace brenmoor::console {

std::optional<QString> SendFileDialog::chooseSendFile(QWidget* parent) {
    // An open dialog only lets the operator pick a file that exists; Qt's dialog has no
    // read-only option to hide.
    const QString path = QFileDialog::getOpenFileName(parent, QStringLiteral("Send File"), QString(),
                                                      QStringLiteral("Text File Only(*.txt)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

}  // namespace brenmoor::console
