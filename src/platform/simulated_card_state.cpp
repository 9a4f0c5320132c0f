#include "platform/simulated_card_state.h"

#include <algorithm>

#include "platform/line_timing.h"

namespace brenmoor::platform {
namespace {

bool usable(const std::shared_ptr<SimulatedOpenPort>& open) {
    return open && !open->closed && !open->gone;
}

std::optional<SimulatedCardState::Nanos> earlier(std::optional<SimulatedCardState::Nanos> a,
                                                 std::optional<SimulatedCardState::Nanos> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

}  // namespace

SimulatedCardState::SimulatedCardState(bool virtualClock) : virtualClock_(virtualClock) {}

SimulatedCardState::Nanos SimulatedCardState::now() const {
    if (virtualClock_) return virtualNow_;
    return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

void SimulatedCardState::advance(Nanos step) {
    virtualNow_ += step;
    settle(virtualNow_);
    notifyAll();
}

SimulatedPort& SimulatedCardState::port(int comNumber) { return ports_[comNumber]; }

const SimulatedPort* SimulatedCardState::findPort(int comNumber) const {
    const auto it = ports_.find(comNumber);
    return it == ports_.end() ? nullptr : &it->second;
}

bool SimulatedCardState::transmitting(const SimulatedPort& port) const {
    return usable(port.open) && !port.writeStalled && !port.open->tx.empty();
}

void SimulatedCardState::settle(Nanos now) {
    for (auto& [com, port] : ports_) {
        if (!transmitting(port)) continue;
        SimulatedOpenPort& open = *port.open;
        const std::uint64_t finished = open.transmitter.finishedBy(now, port.line);
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(finished, open.tx.size()));
        if (count == 0) continue;
        transmitFinished(com, port, count);
        open.transmitter.consume(count, port.line);
    }
}

void SimulatedCardState::transmitFinished(int comNumber, SimulatedPort& from, std::size_t count) {
    SimulatedOpenPort& open = *from.open;
    int destinationCom = 0;
    SimulatedOpenPort* destination = destinationOf(comNumber, destinationCom);
    const LineState* receiverLine = destination ? &ports_[destinationCom].line : nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t value = open.tx.front();
        open.tx.pop_front();
        if (!open.internalLoopback) {
            from.lineOutput.push_back(value);
            ++from.lineOutputCount;
        }
        // A full input queue loses the character, as a UART overrun does.
        if (destination && destination->rx.size() < destination->rxCapacity)
            destination->rx.push_back(receivedCharacter(value, from.line, *receiverLine));
    }
    while (from.lineOutput.size() > kSimulatedLineOutputKept) from.lineOutput.pop_front();
}

SimulatedOpenPort* SimulatedCardState::destinationOf(int comNumber, int& destinationCom) {
    SimulatedPort& from = ports_[comNumber];
    if (from.open->internalLoopback) {
        destinationCom = comNumber;
        return from.open.get();
    }
    switch (from.wiring) {
        case SimulatedWiring::None:
            return nullptr;
        case SimulatedWiring::LoopbackPlug:
            destinationCom = comNumber;
            return from.open.get();
        case SimulatedWiring::NullModem: {
            SimulatedPort& to = ports_[from.peer];
            // A UART in internal loopback does not listen to its input pin.
            if (!usable(to.open) || to.open->internalLoopback) return nullptr;
            destinationCom = from.peer;
            return to.open.get();
        }
    }
    return nullptr;
}

std::array<int, 2> SimulatedCardState::sourcesOf(int comNumber) const {
    std::array<int, 2> sources{0, 0};
    const SimulatedPort* port = findPort(comNumber);
    if (!port || !usable(port->open)) return sources;
    if (port->open->internalLoopback || port->wiring == SimulatedWiring::LoopbackPlug) {
        sources[0] = comNumber;
        return sources;
    }
    if (port->wiring == SimulatedWiring::NullModem) {
        const SimulatedPort* peer = findPort(port->peer);
        if (peer && usable(peer->open) && !peer->open->internalLoopback) sources[1] = port->peer;
    }
    return sources;
}

std::optional<SimulatedCardState::Nanos> SimulatedCardState::nextArrival(int comNumber) const {
    std::optional<Nanos> next;
    for (int source : sourcesOf(comNumber)) {
        if (source == 0) continue;
        const SimulatedPort& port = *findPort(source);
        if (!transmitting(port)) continue;
        next = earlier(next, port.open->transmitter.finishTimeOf(1, port.line));
    }
    return next;
}

std::optional<SimulatedCardState::Nanos> SimulatedCardState::receiveWake(int comNumber) const {
    const std::optional<Nanos> first = nextArrival(comNumber);
    if (!first) return std::nullopt;
    Nanos wake = *first;
    for (int source : sourcesOf(comNumber)) {
        if (source == 0) continue;
        const SimulatedPort& port = *findPort(source);
        if (!transmitting(port)) continue;
        const SimulatedTransmitter& transmitter = port.open->transmitter;
        const std::uint64_t arriving =
            std::min<std::uint64_t>(transmitter.finishedBy(*first + kReceiveCoalescing, port.line), port.open->tx.size());
        if (arriving > 0) wake = std::max(wake, transmitter.finishTimeOf(arriving, port.line));
    }
    return wake;
}

std::optional<SimulatedCardState::Nanos> SimulatedCardState::roomTime(int comNumber, std::size_t needed,
                                                                      Nanos now) const {
    const SimulatedPort& port = *findPort(comNumber);
    const SimulatedOpenPort& open = *port.open;
    if (open.tx.size() + needed <= open.txCapacity) return now;
    if (!transmitting(port)) return std::nullopt;
    const std::size_t mustLeave = open.tx.size() + needed - open.txCapacity;
    return open.transmitter.finishTimeOf(mustLeave, port.line);
}

void SimulatedCardState::queueForTransmit(int comNumber, const std::uint8_t* data, std::size_t count, Nanos now) {
    SimulatedOpenPort& open = *ports_[comNumber].open;
    const bool newBurst = open.tx.empty();
    if (newBurst) open.transmitter.start(now);
    open.tx.insert(open.tx.end(), data, data + count);
    // Characters added behind others already on their way arrive later than those, so
    // only a new burst can bring the receiver's next arrival forward.
    int destinationCom = 0;
    if (SimulatedOpenPort* destination = newBurst ? destinationOf(comNumber, destinationCom) : nullptr)
        destination->arrivals.notify_all();
}

void SimulatedCardState::setWriteStalled(int comNumber, bool stalled, Nanos now) {
    SimulatedPort& port = ports_[comNumber];
    if (port.writeStalled == stalled) return;
    port.writeStalled = stalled;
    if (!stalled && usable(port.open)) port.open->transmitter.start(now);
    notifyLine(comNumber);
}

void SimulatedCardState::lineStateChanged(int comNumber, Nanos now) {
    SimulatedPort& port = ports_[comNumber];
    // The character on the line restarts at the new rate.
    if (usable(port.open)) port.open->transmitter.start(now);
    notifyLine(comNumber);
}

void SimulatedCardState::setInternalLoopback(int comNumber, bool on) {
    // Its own input and its null-modem peer's both change sources.
    ports_[comNumber].open->internalLoopback = on;
    notifyLine(comNumber);
}

void SimulatedCardState::waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                                 std::optional<Nanos> wake) {
    if (virtualClock_ || !wake) {
        condition.wait(lock);
        return;
    }
    const std::chrono::steady_clock::time_point until(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(*wake));
    condition.wait_until(lock, until);
}

void SimulatedCardState::notifyPort(int comNumber) {
    const SimulatedPort* port = findPort(comNumber);
    if (port && port->open) port->open->notifyEveryone();
}

void SimulatedCardState::notifyLine(int comNumber) {
    notifyPort(comNumber);
    const SimulatedPort* port = findPort(comNumber);
    if (port && port->wiring == SimulatedWiring::NullModem) notifyPort(port->peer);
}

void SimulatedCardState::notifyAll() {
    for (auto& [com, port] : ports_)
        if (port.open) port.open->notifyEveryone();
}

}  // namespace brenmoor::platform
