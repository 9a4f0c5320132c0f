#pragma once
// The main window: a multiple-document frame with menus 128/129, toolbar 128, a status bar
// of four panes and the one document window. It also counts the end-of-thread reports of
// a test session and has the application finish the session when all have arrived.

#include <QMainWindow>
#include <QPointer>

#include "app/command_actions.h"
#include "app/lock_keys.h"

class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;

namespace brenmoor::res {
struct MenuEntry;
}

namespace brenmoor::app {

class CChildFrame;
class FrameOwner;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(FrameOwner& owner, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens a document window with the given document title; the frame then shows menu 129.
    CChildFrame* newDocumentWindow(const QString& title);
    // The document window, or null while none is open.
    CChildFrame* documentWindow() const;
    // 128 or 129, the menu the frame shows.
    int currentMenu() const { return currentMenu_; }

    // Evaluates the enabling of every action from the owner's flags, and the View items'
    // checks from the bars.
    void refreshCommands();
    CommandActions& commands() { return *commands_; }

    // End-of-thread report of a test session's worker thread; on the window thread.
    void OnThreadDone();
    int threadEndCount() const { return m_nThreadEndCount; }

    // Which back end the ports use, shown for as long as the tool runs.
    void setBackendNote(const QString& text, const QString& details);

    void showLockKeys(const std::optional<LockKeyState>& state);

    QMdiArea* mdiArea() const { return mdiArea_; }
    QToolBar* toolBar() const { return toolBar_; }
    QLabel* messagePane() const { return messagePane_; }
    QLabel* backendPane() const { return backendPane_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createBars();
    void createMenus();
    QMenu* buildPopup(const res::MenuEntry& entry);
    void showMenu(int menuId);
    void fillRecentFiles(QMenu* menu, QAction* before);
    void updateCaption();
    void documentWindowClosed(QObject* window);
    void toggleBar(QWidget* bar);
    void refreshStatusIndicators();

    FrameOwner& owner_;
    CommandActions* commands_;
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* capsPane_ = nullptr;
    QLabel* numPane_ = nullptr;
    QLabel* scrollPane_ = nullptr;
    QLabel* backendPane_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    std::map<int, std::vector<QMenu*>> menus_;
    std::vector<QAction*> recentActions_;
    QPointer<CChildFrame> document_;
    int currentMenu_ = 0;
    int m_nThreadEndCount = 0;
};

}  // namespace brenmoor::app
