#include "app_test_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/command_actions.h"
#include "app/main_frame.h"

namespace brenmoor::test {

std::optional<std::filesystem::path> ScriptedFileChooser::choose(app::FileDialogKind kind, QWidget*) {
    asked.push_back(kind);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

StartedApp::StartedApp(const QStringList& extraArguments) : profile_(dir_.file("Brenmoor.ini")) {
    QStringList arguments{QStringLiteral("brenmoor"), QStringLiteral("--profile"),
                          QString::fromStdString(profile_.string())};
    arguments << extraArguments;
    app_ = std::make_unique<app::CBrenmoorApp>(arguments);
    app_->setMessageSink(messages_);
    auto files = std::make_unique<ScriptedFileChooser>();
    files_ = files.get();
    app_->setFileChooser(std::move(files));
    started_ = app_->InitInstance();
}

StartedApp::~StartedApp() = default;

QAction* menuAction(app::CMainFrame& frame, int id) {
    for (QAction* top : frame.menuBar()->actions()) {
        if (top->menu() == nullptr) continue;
        for (QAction* item : top->menu()->actions()) {
            if (app::commandId(item) == id) return item;
        }
    }
    return nullptr;
}

}  // namespace brenmoor::test
