#include "engine/transmit_thread.h"

#include <memory>
#include <vector>

#include "engine/port_tester.h"
#include "engine/thread_priority.h"

namespace brenmoor::engine {
namespace {

// A port the send loop serves: running, with its first packet out.
bool isSending(const EngineState& engine, int port) { return engine.sending[port].sending(); }

void sendWhileAnyPortRuns(EngineState& engine, std::vector<std::unique_ptr<PortTester>>& testers) {
    for (;;) {
        // From the first running port on, one packet for each port that still runs.
        int first = 0;
        while (first < config::kPortCount && !isSending(engine, first)) ++first;
        if (first == config::kPortCount) return;
        for (int port = first; port < config::kPortCount; ++port) {
            if (!isSending(engine, port)) continue;
            if (engine.fileTransfer[port].continuation.load() != 0)
                testers[port]->SendNextChunk(port);
            else
                testers[port]->SendPacket(port);
        }
    }
}

void transmitUntilExit(EngineState& engine, TxThreadParams& params) {
    lowerCurrentThreadPriority();
    std::vector<std::unique_ptr<PortTester>> testers;
    for (int port = 0; port < config::kPortCount; ++port)
        testers.push_back(std::make_unique<PortTester>(engine, params));
    bool exit = false;
    while (!exit) {
        // Without both events no wait can succeed: say so once, then wait for
        // the session stop instead of failing again and again.
        if (!params.writeEvent || !params.exitEvent) {
            engine.messages.showMessage({"WaitForMultipleObjects failed in write thread", "Error",
                                         platform::MessageIcon::Warning, platform::MessageOwner::MainWindow});
            engine.sessionStop.wait();
            exit = true;
        } else if (platform::waitForEither(*params.writeEvent, *params.exitEvent) == 0) {
            sendWhileAnyPortRuns(engine, testers);
        } else {
            exit = true;
        }
        params.mainWindow->updateWindow();
    }
}

}  // namespace

int TransmitThreadProc(EngineState& engine, TxThreadParams& params) {
    transmitUntilExit(engine, params);
    params.mainWindow->postThreadDone(0);
    return 0;
}

}  // namespace brenmoor::engine
