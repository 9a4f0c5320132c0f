#pragma once
// "Ports Properties": the modal tabbed sheet of the eight port pages. It edits the
// application's port records in place and holds nothing of its own but its pages.

#include <QDialog>
#include <array>
#include <cstdint>

#include "config/port_settings.h"
#include "config/sheet/port_page.h"

class QDialogButtonBox;
class QTabWidget;

namespace brenmoor::config::sheet {

class CPortSheet : public QDialog {
    Q_OBJECT
public:
    CPortSheet(SettingsTables& tables, QWidget* owner);

    QTabWidget* tabs() const { return tabs_; }
    CPortPage* page(int index) const { return pages_[index]; }
    QDialogButtonBox* buttons() const { return buttons_; }

    // OK commits every page that has been shown, in port order.
    void accept() override;
    // Cancel commits nothing and puts ports 1 to 7 back on the COM numbers they had when
    // the sheet opened, so that the eight numbers still run on from the first port's.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void initialiseSheet();

    PortRegistry& registry_;
    std::array<std::int32_t, kPortCount> comBaseAtOpen_{};
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::array<CPortPage*, kPortCount> pages_{};
    bool initialised_ = false;
};

}  // namespace brenmoor::config::sheet
