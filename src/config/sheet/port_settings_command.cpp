#include "config/sheet/port_settings_command.h"

#include "config/sheet/port_sheet.h"

namespace brenmoor::config::sheet {

void runPortSettingsCommand(QWidget* owner, SettingsTables& tables, platform::MessageSink& messages)
{
    CPortSheet sheet(tables, owner);
    const int result = sheet.exec();
    if (result != QDialog::Accepted && result != QDialog::Rejected) {
        messages.showMessage({"Unable to display the Port Properties tabbed dialog", "Error",
                              platform::MessageIcon::Warning, platform::MessageOwner::MainWindow});
    }
}

}  // namespace brenmoor::config::sheet
