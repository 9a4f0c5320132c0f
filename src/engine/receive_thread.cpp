#include "engine/receive_thread.h"

#include "engine/held_message.h"
#include "engine/port_tester.h"
#include "serial/serial_port.h"

namespace brenmoor::engine {
namespace {

void receiveUntilSessionEnds(EngineState& engine, RxThreadParams& params) {
    const int port = params.portIndex;
    const platform::SerialHandle& handle = params.portHandle;

    HeldMessage held;
    serial::CSerialPort serialPort(held);
    serialPort.Attach(handle);
    PortTester tester(engine);
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};

    handle->setEventMask(platform::kEvRxChar);
    while (params.sessionFlag->load() != 0) {
        std::uint32_t mask = 0;
        switch (handle->waitEvent(mask)) {
        case platform::WaitStatus::Completed:
            break;
        case platform::WaitStatus::Refused:
            // Nothing is pending. The session stop clears the flag before the mask, so a
            // refusal with the flag still set will not end by itself: wait for the stop.
            if (params.sessionFlag->load() != 0) engine.sessionStop.wait();
            continue;
        case platform::WaitStatus::DeviceGone:
            // Nothing can arrive any more: the port's test stops, and so does this thread.
            tester.portLost(port);
            return;
        }
        if ((mask & platform::kEvRxChar) == 0) continue;
        std::uint32_t count = 0;
        if (serialPort.Read(buffer.data(), count)) {
            if (count == 0) continue;
            params.bufferSlot = buffer.data();
            *params.countSlot = static_cast<std::int32_t>(count);
            tester.ProcessReceived(port);
        } else if (const auto message = held.take()) {
            if (handle->isGone()) {
                tester.portLost(port);
                return;
            }
            tester.transferFailed(port, *message);
            // The bytes still waiting would complete the next wait at once.
            engine.sessionStop.waitUntil(Clock::now() + engine.retryPause);
        }
    }
}

}  // namespace

int ReceiveThreadProc(EngineState& engine, RxThreadParams& params) {
    receiveUntilSessionEnds(engine, params);
    params.mainWindow->postThreadDone(params.portIndex);
    return 0;
}

}  // namespace brenmoor::engine
