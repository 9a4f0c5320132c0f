#include "engine/display_operations.h"

#include "config/decimal_text.h"
#include "engine/port_index.h"

namespace brenmoor::engine {

void ShowSentText(EngineState& engine, std::string_view text, int port) {
    ConsoleModel* console = engine.g_pTestDlg.load();
    if (!console || !acceptPortIndex(port, engine.messages)) return;
    console->appendSentText(port, text);
}

void ShowReceivedText(EngineState& engine, int port, std::string_view text) {
    ConsoleModel* console = engine.g_pTestDlg.load();
    if (!console || !acceptPortIndex(port, engine.messages)) return;
    if (console->isEnableChecked(port)) console->appendReceivedText(port, text);
}

void ShowPacketCount(EngineState& engine, int port) {
    ConsoleModel* console = engine.g_pTestDlg.load();
    if (!console || !acceptPortIndex(port, engine.messages)) return;
    console->setPacketCount(port, config::decimalText(engine.portRunState[port].packetsSent.load()));
}

}  // namespace brenmoor::engine
