#pragma once
// The window's actions for the command table: one per command (a menu that names a command
// its own way gets an action of its own), each carrying its identifier, texts and prompts.
// Enabling is not kept up to date by Qt: refresh() evaluates it from the flags and must be
// called whenever a menu or the toolbar is about to be seen or the flags may have changed.

#include <QObject>
#include <map>
#include <string_view>

#include "config/command_flags.h"

class QAction;

namespace brenmoor::app {

class CommandActions : public QObject {
    Q_OBJECT
public:
    explicit CommandActions(QObject* parent);

    // The action of a command from the table, made on first use.
    QAction* action(int id);
    // An action of its own for a command shown with another text in one menu.
    QAction* actionWithText(int id, std::string_view menuText);

    void refresh(const config::CommandFlags& flags);

    // Every action of a command, in the order made.
    std::vector<QAction*> actionsFor(int id) const;

signals:
    void triggered(int id);

private:
    QAction* make(int id, std::string_view menuText);

    std::multimap<int, QAction*> actions_;
};

// The identifier an action was made for.
int commandId(const QAction* action);

}  // namespace brenmoor::app
