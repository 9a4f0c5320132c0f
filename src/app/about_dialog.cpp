#include "app/about_dialog.h"

#include <QPushButton>

#include "res/app_dialog_templates.h"
#include "res/dialog_builder.h"

namespace brenmoor::app {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const res::BuiltDialog built = res::buildDialog(res::aboutTemplate(), this);
    if (QPushButton* ok = built.button(res::kIdOk)) connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(size());
}

}  // namespace brenmoor::app
