#include "engine/loop_test.h"

#include "serial/card_requests.h"

namespace brenmoor::engine {

void ApplyLoopTestChoice(EngineState& engine, int port) {
    ConsoleModel* console = engine.g_pTestDlg.load();
    const bool checked = console && console->isLoopTestChecked(port);
    engine.tables.m_PortTest[port].nLoopTest = checked ? 1 : 0;
    serial::SetLoopback(engine.ports.handles[port], checked, port, engine.messages);
}

}  // namespace brenmoor::engine
