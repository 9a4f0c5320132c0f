#include <string>

#include "platform/com_names.h"
#include "platform/driver_requests.h"
#include "serial/card_requests.h"
#include "serial/line_settings.h"
#include "serial/refused_line_settings.h"
#include "serial/serial_port.h"
#include "serial/stored_positions.h"

namespace brenmoor::serial {
namespace {

constexpr std::size_t kQueueBytes = 4096;
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
    handle_.reset();
    openError_ = {};
    if (port < 0 || port >= config::kPortCount) return nullptr;
    // The record is checked first: a stored position outside its list refuses the port
    // before anything is opened, so no table is ever read beyond its end.
    const config::PortRegistryEntry& entry = registry[port];
    if (auto refusal = positionOutsideList(entry, port)) {
        messages_.showMessage(openError(std::move(*refusal)));
        return nullptr;
    }

    // The caller reports a port that does not open, with the reason kept here.
    const std::string name = platform::comDeviceName(comNumber);
    platform::SerialHandle handle = backend.open(name, openError_);
    if (!handle) return nullptr;
    handle_ = handle;

    if (!handle->setupQueues(kQueueBytes, kQueueBytes))
        messages_.showMessage(openError("Error while setting up the Rx and Tx buffer sizes"));

    // A failed read may leave anything behind: the defaults stand in for what it did not report.
    platform::LineState state{};
    const bool stateRead = handle->getLineState(state);
    if (!stateRead) {
        state = {};
        messages_.showMessage(openError("Error while getting the current DCB settings"));
    }
    applyStoredLineSettings(entry, state);

    // Nothing queued before the open survives the new settings. The results of setting
    // the time-outs and the line state are not examined: what the port kept is read back.
    handle->purge(kPurgeAll);
    handle->setTimeouts(kPortTimeouts);
    handle->setLineState(state);
    if (platform::LineState kept; handle->getLineState(kept)) {
        if (auto refused = refusedLineSettings(comNumber, state, kept)) messages_.showMessage(openError(*refused));
    } else if (stateRead) {
        messages_.showMessage(openError("Error while getting the current DCB settings"));
    }

    const UartOptionBlock block = buildUartOptionBlock(entry);
    if (!handle->deviceControl(platform::IOCTL_SET_UART_OPTIONS, block.data(), block.size()))
        messages_.showMessage(
            {"Unable to pass data into driver", "", platform::MessageIcon::None, platform::MessageOwner::None});

    return handle;
}

}  // namespace brenmoor::serial
