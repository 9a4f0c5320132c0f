#pragma once
// The Port Settings command: the "Ports Properties" sheet over the application's tables.

#include "config/port_settings.h"
#include "platform/message_box.h"

class QWidget;

namespace brenmoor::config::sheet {

// Runs the sheet modally over `tables`, owned by `owner`, and reports through `messages`
// when it could not be shown. The pages have written the records by the time it returns.
void runPortSettingsCommand(QWidget* owner, SettingsTables& tables, platform::MessageSink& messages);

}  // namespace brenmoor::config::sheet
