#include "app/command_actions.h"

#include <QAction>
#include <QKeySequence>
#include <stdexcept>

#include "res/command_table.h"

namespace brenmoor::app {
namespace {

QString qtext(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const char* const kCommandIdProperty = "brenmoorCommandId";

}  // namespace

CommandActions::CommandActions(QObject* parent) : QObject(parent) {}

QAction* CommandActions::action(int id) {
    const auto it = actions_.find(id);
    if (it != actions_.end()) return it->second;
    const res::CommandInfo* command = res::findCommand(id);
    if (command == nullptr) throw std::out_of_range("command not in the table");
    return make(id, command->menuText);
}

QAction* CommandActions::actionWithText(int id, std::string_view menuText) {
    if (res::findCommand(id) == nullptr) throw std::out_of_range("command not in the table");
    return make(id, menuText);
}

QAction* CommandActions::make(int id, std::string_view menuText) {
    const res::CommandInfo& command = *res::findCommand(id);
    auto* a = new QAction(qtext(res::menuLabel(menuText)), parent());
    a->setProperty(kCommandIdProperty, id);
    const std::string_view accelerator = res::menuAccelerator(menuText);
    if (!accelerator.empty()) a->setShortcut(QKeySequence(qtext(accelerator)));
    a->setStatusTip(qtext(res::statusPrompt(command.prompt)));
    // What context help (Shift+F1) shows for the item or button clicked.
    a->setWhatsThis(a->statusTip());
    a->setToolTip(qtext(res::toolTip(command.prompt)));
    connect(a, &QAction::triggered, this, [this, id] { emit triggered(id); });
    actions_.emplace(id, a);
    return a;
}

void CommandActions::refresh(const config::CommandFlags& flags) {
    for (auto& [id, a] : actions_) a->setEnabled(res::isCommandEnabled(id, flags));
}

std::vector<QAction*> CommandActions::actionsFor(int id) const {
    std::vector<QAction*> out;
    const auto [first, last] = actions_.equal_range(id);
    for (auto it = first; it != last; ++it) out.push_back(it->second);
    return out;
}

int commandId(const QAction* action) {
    const QVariant id = action->property(kCommandIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

}  // namespace brenmoor::app
