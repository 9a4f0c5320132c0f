#pragma once
// A started application on a profile in a temporary directory, with its message boxes
// recorded and its file dialogs answered by the test.

#include <QStringList>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/brenmoor_app.h"
#include "app/file_dialogs.h"
#include "support/recording_message_sink.h"
#include "support/temp_dir.h"

class QAction;

namespace brenmoor::test {

// Answers each dialog with the next queued path (nullopt: Cancel) and records what was asked.
class ScriptedFileChooser : public app::FileChooser {
public:
    std::optional<std::filesystem::path> choose(app::FileDialogKind kind, QWidget* owner) override;

    std::deque<std::optional<std::filesystem::path>> answers;
    std::vector<app::FileDialogKind> asked;
};

class StartedApp {
public:
    // Starts the tool with `extraArguments` after --profile <temporary file>.
    explicit StartedApp(const QStringList& extraArguments = {});
    ~StartedApp();

    app::CBrenmoorApp& app() { return *app_; }
    app::CMainFrame& frame() { return *app_->mainFrame(); }
    RecordingMessageSink& messages() { return messages_; }
    ScriptedFileChooser& files() { return *files_; }
    const std::filesystem::path& profilePath() const { return profile_; }
    TempDir& dir() { return dir_; }
    bool started() const { return started_; }

private:
    TempDir dir_;
    std::filesystem::path profile_;
    RecordingMessageSink messages_;
    ScriptedFileChooser* files_;
    std::unique_ptr<app::CBrenmoorApp> app_;
    bool started_ = false;
};

// The action of `id` that the frame's current menu bar shows, or null.
QAction* menuAction(app::CMainFrame& frame, int id);

}  // namespace brenmoor::test
