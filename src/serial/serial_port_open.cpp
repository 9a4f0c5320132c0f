#include <string>

#include "platform/com_names.h"
#include "platform/driver_requests.h"
#include "serial/card_requests.h"
#include "serial/line_settings.h"
#include "serial/serial_port.h"
#include "serial/stored_positions.h"

namespace brenmoor::serial {
namespace {

constexpr std::size_t kQueueBytes = 4096;
constexpr platform::Timeouts kPortTimeouts{0, 1, 100, 1, 100};
constexpr unsigned kPurgeAll =
    platform::kPurgeTxAbort | platform::kPurgeRxAbort | platform::kPurgeTxClear | platform::kPurgeRxClear;

platform::MessageBoxRequest openError(std::string text) {
    return {std::move(text), "ERROR", platform::MessageIcon::Warning, platform::MessageOwner::MainWindow};
}

}  // namespace

CSerialPort::CSerialPort(platform::MessageSink& messages, std::chrono::milliseconds transferLimit)
    : messages_(messages), transferLimit_(transferLimit) {}

void CSerialPort::Attach(platform::SerialHandle handle) { handle_ = std::move(handle); }

platform::SerialHandle CSerialPort::Open(std::uint8_t comNumber, int port,
                                         const std::array<config::PortRegistryEntry, config::kPortCount>& registry,
                                         platform::SerialBackend& backend) {
    // 1.
    handle_.reset();
    if (port < 0 || port >= config::kPortCount) return nullptr;
    // The record (step 7) is taken first: a stored position outside its list refuses the
    // port before anything is opened, so no table is ever read beyond its end.
    const config::PortRegistryEntry& entry = registry[port];
    if (auto refusal = positionOutsideList(entry, port)) {
        messages_.showMessage(openError(std::move(*refusal)));
        return nullptr;
    }

    // 2.
    const std::string name = platform::comDeviceName(comNumber);

    // 3. The caller reports a port that does not open.
    platform::OpenError error;
    platform::SerialHandle handle = backend.open(name, error);
    if (!handle) return nullptr;

    // 4.
    handle_ = handle;

    // 5.
    if (!handle->setupQueues(kQueueBytes, kQueueBytes))
        messages_.showMessage(openError("Error while setting up the Rx and Tx buffer sizes"));

    // 6. A failed read leaves the state as it was before the call.
    platform::LineState state{};
    if (platform::LineState reported; handle->getLineState(reported))
        state = reported;
    else
        messages_.showMessage(openError("Error while getting the current DCB settings"));

    // 7 to 9.
    applyStoredLineSettings(entry, state);

    // 10 and 11: nothing queued before the open survives the new settings.
    const platform::Timeouts timeouts = kPortTimeouts;
    handle->purge(kPurgeAll);

    // 12 and 13: their results are not examined.
    handle->setTimeouts(timeouts);
    handle->setLineState(state);

    // 14.
    const UartOptionBlock block = buildUartOptionBlock(entry);
    if (!handle->deviceControl(platform::IOCTL_SET_UART_OPTIONS, block.data(), block.size()))
        messages_.showMessage(
            {"Unable to pass data into driver", "", platform::MessageIcon::None, platform::MessageOwner::None});

    // 15.
    return handle;
}

}  // namespace brenmoor::serial
