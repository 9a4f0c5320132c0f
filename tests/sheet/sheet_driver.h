#pragma once
// Drives the port properties sheet as the operator would, without a modal loop: shows it,
// selects tabs, picks list entries through the opened list, clicks, and confirms.

#include <QString>
#include <memory>

#include "config/port_settings.h"
#include "config/sheet/port_sheet.h"

class QAbstractButton;
class QComboBox;

namespace brenmoor::test {

// The port records every start without a profile begins with.
config::sheet::PortRegistry defaultRegistry();

class SheetDriver {
public:
    explicit SheetDriver(config::SettingsTables& tables);
    ~SheetDriver();

    config::sheet::CPortSheet& sheet() { return *sheet_; }
    // Shows the sheet; it opens on the first tab.
    void open();
    // Clicks the tab of port index `port` (0 to 7).
    void selectTab(int port);
    const res::BuiltDialog& controls(int port) { return sheet_->page(port)->controls(); }
    QComboBox* list(int port, int id);

    // Opens the list as a click would and clicks the entry with `text` in it.
    void choose(int port, int id, const QString& text);
    void click(int port, int id);
    void pressOk();
    void pressCancel();

private:
    std::unique_ptr<config::sheet::CPortSheet> sheet_;
};

}  // namespace brenmoor::test
