#include "console_session.h"

#include <QTest>

#include "config/registry_persistence.h"
#include "platform/profile_store.h"

namespace brenmoor::test {
namespace {

std::unique_ptr<config::SettingsTables> defaultTables() {
    auto tables = std::make_unique<config::SettingsTables>();
    config::ReadPortSettings(*tables, platform::ProfileStore("/nonexistent/brenmoor-console-test.ini"));
    return tables;
}

constexpr int kBaud921600Position = 13;

}  // namespace

void QueuedNotices::postThreadDone(int) {
    QMetaObject::invokeMethod(this, [this] {
        if (++ended_ == session->threadCount()) {
            ended_ = 0;
            ++finishCount;
            session->FinishSession();
        }
    }, Qt::QueuedConnection);
}

ConsoleSession::ConsoleSession()
    : tables(defaultTables()), session(*tables, flags, card, messages, notices, window) {
    notices.session = &session;
    window.attach(session.engine());
}

ConsoleSession::~ConsoleSession() {
    if (session.inProgress()) stopAndFinish();
    window.closeConsole();
}

void ConsoleSession::markPort(int port) {
    config::PortRegistryEntry& entry = tables->m_PortRegistry[static_cast<std::size_t>(port)];
    entry.nPortOpen = 1;
    entry.nComBase = 3 + port;
    entry.nBaud = kBaud921600Position;
}

bool ConsoleSession::stopAndFinish() {
    const int finished = notices.finishCount;
    session.Stop();
    return QTest::qWaitFor([&] { return notices.finishCount > finished; }, 30000);
}

}  // namespace brenmoor::test
