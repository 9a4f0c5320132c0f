#include "console/write_delay_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "res/app_strings.h"
#include "res/dialog_builder.h"

namespace brenmoor::console {

CWriteDelayDlg::CWriteDelayDlg(config::WriteDelay& writeDelay, QWidget* parent, const res::DialogTemplate& layout)
    : QDialog(parent), m_strWriteDelay(writeDelay) {
    const res::BuiltDialog built = res::buildDialog(layout, this);
    setFixedSize(size());
    QPushButton* ok = built.button(res::kIdOk);
    QPushButton* cancel = built.button(res::kIdCancel);
    QLineEdit* edit = built.edit(res::kIdWriteDelayEdit);
    if (ok == nullptr || cancel == nullptr || edit == nullptr) return;
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    edit->setMaxLength(res::kWriteDelayMaxChars);
    edit->setText(QString::fromStdString(m_strWriteDelay.text()));
    edit->setFocus();
    edit_ = edit;
}

void CWriteDelayDlg::accept() {
    if (edit_ != nullptr) m_strWriteDelay.setText(edit_->text().toStdString());
    QDialog::accept();
}

int runWriteDelayCommand(config::WriteDelay& writeDelay, platform::MessageSink& messages,
                         const res::DialogTemplate& layout) {
    CWriteDelayDlg dialog(writeDelay, QApplication::activeWindow(), layout);
    if (!dialog.isComplete()) {
        messages.showMessage({res::kDelayDialogFailed, res::kDelayDialogFailedCaption, platform::MessageIcon::Warning,
                              platform::MessageOwner::MainWindow});
        return -1;
    }
    return dialog.exec();
}

}  // namespace brenmoor::console
