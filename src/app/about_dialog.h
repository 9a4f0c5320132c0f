#pragma once
// The About box (template 100): modal, nothing happens beyond showing it.

#include <QDialog>

namespace brenmoor::app {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace brenmoor::app
