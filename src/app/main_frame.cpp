#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include "app/document_window.h"
#include "app/frame_owner.h"
#include "app/toolbar_icons.h"
#include "res/app_strings.h"
#include "res/command_ids.h"
#include "res/command_table.h"
#include "res/menus.h"

namespace brenmoor::app {
namespace {

QString qtext(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Enabling and the lock keys are polled: Qt has no idle-time update.
constexpr int kRefreshIntervalMs = 200;

QLabel* indicatorPane(const char* widest, QWidget* parent) {
    auto* pane = new QLabel(parent);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(widest)) + 8);
    return pane;
}

}  // namespace

CMainFrame::CMainFrame(FrameOwner& owner, QWidget* parent)
    : QMainWindow(parent), owner_(owner), commands_(new CommandActions(this)), mdiArea_(new QMdiArea(this)) {
    setCentralWidget(mdiArea_);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(commands_, &CommandActions::triggered, this, [this](int id) {
        if (id == res::kCmdViewToolbar) toggleBar(toolBar_);
        else if (id == res::kCmdViewStatusBar) toggleBar(statusBar());
        else if (id == res::kCmdContextHelp) QWhatsThis::enterWhatsThisMode();
        else owner_.OnCommand(id);
        refreshCommands();
    });

    createBars();
    createMenus();

    // Window-wide commands without a menu item: the help document, F1 help and context
    // help, and closing the document window.
    for (int id : {res::kCmdHelpDocument, res::kCmdHelp, res::kCmdContextHelp}) addAction(commands_->action(id));
    commands_->action(res::kCmdHelp)->setShortcut(QKeySequence::HelpContents);
    commands_->action(res::kCmdContextHelp)->setShortcut(QKeySequence::WhatsThis);
    auto* closeDocument = new QAction(this);
    closeDocument->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    connect(closeDocument, &QAction::triggered, this, [this] {
        if (document_) document_->close();
    });
    addAction(closeDocument);

    showMenu(res::kMenuNoDocument);
    updateCaption();

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(kRefreshIntervalMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        refreshCommands();
        refreshStatusIndicators();
    });
    refreshTimer_->start();
    refreshCommands();
    refreshStatusIndicators();
}

CMainFrame::~CMainFrame() {
    // The document window goes with the frame; it must not call back into a frame
    // being destroyed.
    if (document_) document_->disconnect(this);
}

void CMainFrame::createBars() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolbar128"));
    toolBar_->setIconSize(QSize(res::kToolbarImageWidth, res::kToolbarImageHeight));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : res::toolbarButtons()) {
        QAction* a = commands_->action(id);
        a->setIcon(toolbarIcon(id));
        toolBar_->addAction(a);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);

    QStatusBar* bar = statusBar();
    messagePane_ = new QLabel(QString::fromLatin1(res::kIdleMessage), bar);
    bar->addWidget(messagePane_, 1);
    backendPane_ = new QLabel(bar);
    backendPane_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    capsPane_ = indicatorPane(res::kCapsPane, bar);
    numPane_ = indicatorPane(res::kNumPane, bar);
    scrollPane_ = indicatorPane(res::kScrollPane, bar);
    bar->addPermanentWidget(backendPane_);
    bar->addPermanentWidget(capsPane_);
    bar->addPermanentWidget(numPane_);
    bar->addPermanentWidget(scrollPane_);
}

void CMainFrame::createMenus() {
    for (int menuId : {res::kMenuNoDocument, res::kMenuDocument}) {
        for (const res::MenuEntry& entry : res::menuBar(menuId)) menus_[menuId].push_back(buildPopup(entry));
    }
}

QMenu* CMainFrame::buildPopup(const res::MenuEntry& entry) {
    auto* menu = new QMenu(qtext(entry.text), this);
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::refreshCommands);
    // A command keeps one action in both menus unless a menu names it its own way.
    const auto actionFor = [&](const res::MenuEntry& item) {
        return item.text.empty() ? commands_->action(item.commandId)
                                 : commands_->actionWithText(item.commandId, item.text);
    };
    for (const res::MenuEntry& item : entry.items) {
        switch (item.kind) {
        case res::MenuEntryKind::Command: {
            QAction* a = actionFor(item);
            if (item.commandId == res::kCmdViewToolbar || item.commandId == res::kCmdViewStatusBar) a->setCheckable(true);
            menu->addAction(a);
            break;
        }
        case res::MenuEntryKind::Separator: menu->addSeparator(); break;
        case res::MenuEntryKind::Popup: menu->addMenu(buildPopup(item)); break;
        case res::MenuEntryKind::RecentFileList: {
            QAction* end = menu->addSeparator();
            end->setVisible(false);  // marks where the entries go
            connect(menu, &QMenu::aboutToShow, this, [this, menu, end] { fillRecentFiles(menu, end); });
            fillRecentFiles(menu, end);
            break;
        }
        }
    }
    return menu;
}

void CMainFrame::fillRecentFiles(QMenu* menu, QAction* before) {
    for (QAction* a : recentActions_) {
        menu->removeAction(a);
        delete a;
    }
    recentActions_.clear();
    const std::vector<QString> files = owner_.recentFiles();
    if (files.empty()) {
        auto* placeholder = new QAction(qtext(res::findCommand(res::kCmdRecentFile1)->menuText), menu);
        placeholder->setEnabled(false);
        recentActions_.push_back(placeholder);
    }
    const QString prompt = qtext(res::statusPrompt(res::findCommand(res::kCmdRecentFile1)->prompt));
    for (int i = 0; i < static_cast<int>(files.size()) && i < res::kRecentFileCount; ++i) {
        QString path = files[static_cast<std::size_t>(i)];
        path.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), menu);
        entry->setStatusTip(prompt);
        const int id = res::kCmdRecentFile1 + i;
        connect(entry, &QAction::triggered, this, [this, id] {
            owner_.OnCommand(id);
            refreshCommands();
        });
        recentActions_.push_back(entry);
    }
    for (QAction* a : recentActions_) menu->insertAction(before, a);
}

void CMainFrame::showMenu(int menuId) {
    if (currentMenu_ == menuId) return;
    currentMenu_ = menuId;
    menuBar()->clear();
    for (QMenu* menu : menus_.at(menuId)) menuBar()->addMenu(menu);
    refreshCommands();
}

CChildFrame* CMainFrame::newDocumentWindow(const QString& title) {
    auto* child = new CChildFrame(title);
    mdiArea_->addSubWindow(child, Qt::FramelessWindowHint);
    document_ = child;
    connect(child->document(), &CBrenmoorDoc::titleChanged, this, &CMainFrame::updateCaption);
    connect(child, &QObject::destroyed, this, &CMainFrame::documentWindowClosed);
    child->showMaximized();
    showMenu(res::kMenuDocument);
    updateCaption();
    return child;
}

CChildFrame* CMainFrame::documentWindow() const { return document_.data(); }

void CMainFrame::documentWindowClosed(QObject* window) {
    // The window is being destroyed: it no longer counts as open.
    if (document_ != window) return;
    document_ = nullptr;
    showMenu(res::kMenuNoDocument);
    updateCaption();
}

void CMainFrame::updateCaption() {
    const QString frameTitle = QString::fromLatin1(res::kFrameTitle);
    setWindowTitle(document_ ? document_->document()->title() + QStringLiteral(" - ") + frameTitle : frameTitle);
}

void CMainFrame::toggleBar(QWidget* bar) { bar->setVisible(!bar->isVisible()); }

void CMainFrame::refreshCommands() {
    commands_->refresh(owner_.commandFlags());
    for (QAction* a : commands_->actionsFor(res::kCmdViewToolbar)) a->setChecked(!toolBar_->isHidden());
    for (QAction* a : commands_->actionsFor(res::kCmdViewStatusBar)) a->setChecked(!statusBar()->isHidden());
}

void CMainFrame::refreshStatusIndicators() { showLockKeys(readLockKeys()); }

void CMainFrame::showLockKeys(const std::optional<LockKeyState>& state) {
    const auto show = [](QLabel* pane, bool lit, const char* text) {
        pane->setText(lit ? QString::fromLatin1(text) : QString());
    };
    show(capsPane_, state && state->caps, res::kCapsPane);
    show(numPane_, state && state->num, res::kNumPane);
    show(scrollPane_, state && state->scroll, res::kScrollPane);
}

void CMainFrame::setBackendNote(const QString& text, const QString& details) {
    backendPane_->setText(text);
    backendPane_->setToolTip(details);
}

void CMainFrame::OnThreadDone() {
    ++m_nThreadEndCount;
    if (m_nThreadEndCount == owner_.sessionOpenPortCount() + 1) {
        m_nThreadEndCount = 0;
        owner_.FinishSession();
        refreshCommands();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (owner_.OnCloseRequest()) event->accept();
    else event->ignore();
}

}  // namespace brenmoor::app
