#include "platform/simulated_card.h"

#include <stdexcept>

#include "platform/com_names.h"
#include "platform/simulated_device.h"

namespace brenmoor::platform {

SimulatedCard::SimulatedCard(Clock clock)
    : clock_(clock), state_(std::make_shared<SimulatedCardState>(clock)) {}

std::unique_lock<std::mutex> SimulatedCard::lockSettled() {
    std::unique_lock lock(state_->mutex);
    state_->settle(state_->now());
    return lock;
}

SerialHandle SimulatedCard::open(const std::string& device, OpenError& error) {
    const std::optional<int> comNumber = parseComName(device);
    if (!comNumber) {
        error = {OpenFailure::Absent, device + ": the simulated card has no such port"};
        return nullptr;
    }
    auto lock = lockSettled();
    SimulatedPort& port = state_->port(*comNumber);
    if (port.absent) {
        error = {OpenFailure::Absent, device + ": the port is absent"};
        return nullptr;
    }
    if (port.busy || port.open) {
        error = {OpenFailure::Busy, device + ": the port is in use"};
        return nullptr;
    }
    port.open = std::make_shared<SimulatedOpenPort>();
    state_->wiringChanged(state_->now());
    error = {};
    return std::make_shared<SimulatedDevice>(state_, *comNumber, port.open);
}

void SimulatedCard::unwire(SimulatedPort& port) {
    if (port.wiring == SimulatedWiring::NullModem) {
        SimulatedPort& peer = state_->port(port.peer);
        if (peer.wiring == SimulatedWiring::NullModem && &state_->port(peer.peer) == &port)
            peer.wiring = SimulatedWiring::None;
    }
    port.wiring = SimulatedWiring::None;
}

void SimulatedCard::unplug(int comNumber) {
    auto lock = lockSettled();
    unwire(state_->port(comNumber));
    state_->wiringChanged(state_->now());
}

void SimulatedCard::plugLoopback(int comNumber) {
    auto lock = lockSettled();
    SimulatedPort& port = state_->port(comNumber);
    unwire(port);
    port.wiring = SimulatedWiring::LoopbackPlug;
    state_->wiringChanged(state_->now());
}

void SimulatedCard::connectNullModem(int first, int second) {
    if (first == second) {
        plugLoopback(first);
        return;
    }
    auto lock = lockSettled();
    SimulatedPort& a = state_->port(first);
    SimulatedPort& b = state_->port(second);
    unwire(a);
    unwire(b);
    a.wiring = b.wiring = SimulatedWiring::NullModem;
    a.peer = second;
    b.peer = first;
    state_->wiringChanged(state_->now());
}

void SimulatedCard::setAbsent(int comNumber, bool absent) {
    auto lock = lockSettled();
    state_->port(comNumber).absent = absent;
}

void SimulatedCard::setBusy(int comNumber, bool busy) {
    auto lock = lockSettled();
    state_->port(comNumber).busy = busy;
}

void SimulatedCard::setRequestRefused(int comNumber, std::uint32_t code, bool refused) {
    auto lock = lockSettled();
    auto& codes = state_->port(comNumber).refusedRequests;
    if (refused) codes.insert(code);
    else codes.erase(code);
}

void SimulatedCard::setAllRequestsRefused(int comNumber, bool refused) {
    auto lock = lockSettled();
    state_->port(comNumber).refuseAllRequests = refused;
}

void SimulatedCard::setWriteStalled(int comNumber, bool stalled) {
    auto lock = lockSettled();
    state_->setWriteStalled(comNumber, stalled, state_->now());
}

void SimulatedCard::setReadError(int comNumber, bool failing) {
    auto lock = lockSettled();
    state_->port(comNumber).readError = failing;
}

void SimulatedCard::hangUp(int comNumber) {
    auto lock = lockSettled();
    SimulatedPort& port = state_->port(comNumber);
    port.absent = true;
    if (!port.open) return;
    port.open->gone = true;
    port.open->tx.clear();
    port.open->rx.clear();
    port.open->notifyEveryone();
    port.open.reset();
    state_->wiringChanged(state_->now());
}

std::vector<std::uint8_t> SimulatedCard::takeLineOutput(int comNumber) {
    auto lock = lockSettled();
    auto& output = state_->port(comNumber).lineOutput;
    std::vector<std::uint8_t> taken(output.begin(), output.end());
    output.clear();
    return taken;
}

std::uint64_t SimulatedCard::lineOutputCount(int comNumber) {
    auto lock = lockSettled();
    return state_->port(comNumber).lineOutputCount;
}

std::size_t SimulatedCard::inject(int comNumber, const std::vector<std::uint8_t>& bytes) {
    auto lock = lockSettled();
    SimulatedPort& port = state_->port(comNumber);
    if (!port.open) return 0;
    SimulatedOpenPort& open = *port.open;
    const std::size_t room = open.rxCapacity > open.rx.size() ? open.rxCapacity - open.rx.size() : 0;
    const std::size_t fitted = std::min(room, bytes.size());
    open.rx.insert(open.rx.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(fitted));
    state_->inputChanged(comNumber, state_->now());
    open.arrivals.notify_all();
    return fitted;
}

std::size_t SimulatedCard::writeWithoutWaiting(int comNumber, const std::vector<std::uint8_t>& bytes) {
    auto lock = lockSettled();
    if (!state_->port(comNumber).open) return 0;
    return state_->queueForTransmit(comNumber, bytes.data(), bytes.size(), state_->now());
}

std::size_t SimulatedCard::outputQueued(int comNumber) {
    auto lock = lockSettled();
    const SimulatedPort& port = state_->port(comNumber);
    return port.open ? port.open->tx.size() : 0;
}

bool SimulatedCard::outputRoomReported(int comNumber) {
    auto lock = lockSettled();
    const SimulatedPort& port = state_->port(comNumber);
    return port.open && port.open->tx.size() < kSimulatedWakeupChars;
}

std::optional<UartOptionBytes> SimulatedCard::uartOptions(int comNumber) {
    auto lock = lockSettled();
    return state_->port(comNumber).uartOptions;
}

bool SimulatedCard::internalLoopback(int comNumber) {
    auto lock = lockSettled();
    const SimulatedPort& port = state_->port(comNumber);
    return port.open && port.open->internalLoopback;
}

bool SimulatedCard::isOpen(int comNumber) {
    auto lock = lockSettled();
    return state_->port(comNumber).open != nullptr;
}

bool SimulatedCard::waitPending(int comNumber) {
    auto lock = lockSettled();
    const SimulatedPort& port = state_->port(comNumber);
    return port.open && port.open->waiting;
}

std::chrono::nanoseconds SimulatedCard::now() {
    std::lock_guard lock(state_->mutex);
    return state_->now();
}

void SimulatedCard::advance(std::chrono::nanoseconds step) {
    if (clock_ == Clock::Real) throw std::logic_error("advance() needs a card on a virtual clock");
    std::lock_guard lock(state_->mutex);
    state_->advance(step);
}

}  // namespace brenmoor::platform
