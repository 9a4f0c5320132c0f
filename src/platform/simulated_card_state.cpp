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

SimulatedCardState::SimulatedCardState(Clock clock) : clock_(clock) {}

SimulatedCardState::Nanos SimulatedCardState::now() const {
    if (clock_ != Clock::Real) return virtualNow_;
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

std::optional<SimulatedCardState::Nanos> SimulatedCardState::nextFinish(const SimulatedPort& port) const {
    if (!usable(port.open) || !port.open->sending) return std::nullopt;
    return port.open->transmitter.finishTimeOf(1, port.line);
}

void SimulatedCardState::settle(Nanos now) {
    for (auto& [com, port] : ports_) {
        if (port.wiring != SimulatedWiring::NullModem) {
            // Only the port's own characters reach it, so they go in one run.
            if (nextFinish(port)) {
                for (std::uint64_t due = port.open->transmitter.finishedBy(now, port.line); due > 0 && port.open->sending;
                     --due)
                    sendNext(com, port);
            }
            continue;
        }
        if (port.peer < com) continue;  // settled with its peer
        // Each end of a pair may hold the other, so their characters go in time order.
        SimulatedPort& other = ports_[port.peer];
        for (;;) {
            const std::optional<Nanos> mine = nextFinish(port);
            const std::optional<Nanos> theirs = nextFinish(other);
            const bool mineFirst = mine && (!theirs || *mine <= *theirs);
            if (mineFirst && *mine <= now) sendNext(com, port);
            else if (!mineFirst && theirs && *theirs <= now) sendNext(port.peer, other);
            else break;
        }
    }
}

SimulatedCardState::Nanos SimulatedCardState::lastFinish(const SimulatedPort& port) const {
    return port.open->transmitter.finishTimeOf(0, port.line);
}

void SimulatedCardState::sendNext(int comNumber, SimulatedPort& from) {
    SimulatedOpenPort& open = *from.open;
    std::uint8_t value;
    if (open.flowCharacter) {
        value = *open.flowCharacter;
        open.flowCharacter.reset();
    } else {
        value = open.tx.front();
        open.tx.pop_front();
    }
    open.transmitter.consume(1, from.line);
    if (!open.internalLoopback) {
        from.lineOutput.push_back(value);
        ++from.lineOutputCount;
        if (from.lineOutput.size() > kSimulatedLineOutputKept) from.lineOutput.pop_front();
    }
    deliver(comNumber, from, value);
    // What could hold the port has refreshed it already; what is left is running dry.
    if (open.tx.empty() && !open.flowCharacter) refresh(comNumber, lastFinish(from));
}

void SimulatedCardState::deliver(int fromCom, SimulatedPort& from, std::uint8_t value) {
    int receiverCom = 0;
    SimulatedPort* receiver = receiverOf(fromCom, from, receiverCom);
    if (!receiver) return;
    SimulatedOpenPort& input = *receiver->open;
    const LineState& line = receiver->line;
    const ReceivedCharacter character = receiveCharacter(value, from.line, line);
    const std::uint8_t received = character.value;
    input.lineErrors.frame += character.frameError ? 1 : 0;
    input.lineErrors.parity += character.parityError ? 1 : 0;
    const auto xoff = static_cast<std::uint8_t>(line.xoffChar);
    if (line.outX && (received == xoff || received == static_cast<std::uint8_t>(line.xonChar))) {
        input.xoffReceived = received == xoff;
        refresh(receiverCom, lastFinish(from));
        return;
    }
    // A full input queue loses the character, as a UART overrun does.
    if (input.rx.size() < input.rxCapacity) input.rx.push_back(received);
    else ++input.lineErrors.overrun;
    if (!input.throttled && input.rx.size() + throttleMark(input) > input.rxCapacity)
        updateThrottle(receiverCom, lastFinish(from));
}

void SimulatedCardState::updateThrottle(int comNumber, Nanos at) {
    SimulatedPort& port = ports_[comNumber];
    SimulatedOpenPort& open = *port.open;
    const std::size_t mark = throttleMark(open);
    const std::size_t waiting = std::min(open.rx.size(), open.rxCapacity);
    const bool throttled = open.throttled ? waiting > mark : open.rxCapacity - waiting < mark;
    if (throttled == open.throttled) return;
    open.throttled = throttled;
    if (port.line.inX) {
        // Releasing before a pending XOFF went out just cancels it.
        if (throttled) open.flowCharacter = static_cast<std::uint8_t>(port.line.xoffChar);
        else if (open.flowCharacter) open.flowCharacter.reset();
        else open.flowCharacter = static_cast<std::uint8_t>(port.line.xonChar);
    }
    refreshLine(comNumber, at);
}

std::size_t SimulatedCardState::throttleMark(const SimulatedOpenPort& open) {
    // A small queue keeps some hysteresis between holding and releasing.
    return std::min(kSimulatedThrottleRoom, open.rxCapacity / 4);
}

bool SimulatedCardState::requestToSend(const SimulatedPort& port) const {
    return usable(port.open) && !(port.line.rtsControl == RtsControl::Handshake && port.open->throttled);
}

bool SimulatedCardState::clearToSend(int comNumber, const SimulatedPort& port) const {
    if (port.open->internalLoopback) return requestToSend(port);
    switch (port.wiring) {
        case SimulatedWiring::None:
            return false;
        case SimulatedWiring::LoopbackPlug:
            return requestToSend(port);
        case SimulatedWiring::NullModem: {
            // A UART in internal loopback keeps its RTS off the pin.
            const SimulatedPort* peer = findPort(port.peer);
            return peer && peer->peer == comNumber && requestToSend(*peer) && !peer->open->internalLoopback;
        }
    }
    return false;
}

bool SimulatedCardState::mayTransmit(int comNumber, const SimulatedPort& port) const {
    if (port.line.outxCtsFlow && !clearToSend(comNumber, port)) return false;
    return !(port.line.outX && port.open->xoffReceived);
}

void SimulatedCardState::refresh(int comNumber, Nanos at) {
    SimulatedPort& port = ports_[comNumber];
    if (!usable(port.open)) return;
    SimulatedOpenPort& open = *port.open;
    const bool sending =
        !port.writeStalled && (open.flowCharacter || (!open.tx.empty() && mayTransmit(comNumber, port)));
    if (sending == open.sending) return;
    open.sending = sending;
    if (sending) {
        open.transmitter.start(at);
        int receiverCom = 0;
        if (SimulatedPort* receiver = receiverOf(comNumber, port, receiverCom)) receiver->open->arrivals.notify_all();
    }
    open.room.notify_all();
}

void SimulatedCardState::refreshLine(int comNumber, Nanos at) {
    refresh(comNumber, at);
    const SimulatedPort& port = ports_[comNumber];
    if (port.wiring == SimulatedWiring::NullModem) refresh(port.peer, at);
}

SimulatedPort* SimulatedCardState::receiverOf(int comNumber, SimulatedPort& from, int& receiverCom) {
    if (from.open->internalLoopback || from.wiring == SimulatedWiring::LoopbackPlug) {
        receiverCom = comNumber;
        return &from;
    }
    if (from.wiring != SimulatedWiring::NullModem) return nullptr;
    SimulatedPort& to = ports_[from.peer];
    // A UART in internal loopback does not listen to its input pin.
    if (!usable(to.open) || to.open->internalLoopback) return nullptr;
    receiverCom = from.peer;
    return &to;
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
    for (int source : sourcesOf(comNumber))
        if (source != 0) next = earlier(next, nextFinish(*findPort(source)));
    return next;
}

std::optional<SimulatedCardState::Nanos> SimulatedCardState::receiveWake(int comNumber) const {
    const std::optional<Nanos> first = nextArrival(comNumber);
    if (!first) return std::nullopt;
    Nanos wake = *first;
    for (int source : sourcesOf(comNumber)) {
        if (source == 0) continue;
        const SimulatedPort& port = *findPort(source);
        if (!nextFinish(port)) continue;
        const SimulatedOpenPort& open = *port.open;
        const std::uint64_t queued = open.tx.size() + (open.flowCharacter ? 1 : 0);
        const std::uint64_t arriving =
            std::min<std::uint64_t>(open.transmitter.finishedBy(*first + kReceiveCoalescing, port.line), queued);
        if (arriving > 0) wake = std::max(wake, open.transmitter.finishTimeOf(arriving, port.line));
    }
    return wake;
}

std::size_t SimulatedCardState::queueForTransmit(int comNumber, const std::uint8_t* data, std::size_t count,
                                                 Nanos now) {
    SimulatedOpenPort& open = *ports_[comNumber].open;
    const std::size_t taken = std::min(count, kSimulatedOutputBuffer - std::min(open.tx.size(), kSimulatedOutputBuffer));
    open.tx.insert(open.tx.end(), data, data + taken);
    refresh(comNumber, now);
    return taken;
}

std::size_t SimulatedCardState::unqueueLast(int comNumber, std::size_t count, Nanos now) {
    SimulatedOpenPort& open = *ports_[comNumber].open;
    const std::size_t taken = std::min(count, open.tx.size());
    open.tx.erase(open.tx.end() - static_cast<std::ptrdiff_t>(taken), open.tx.end());
    refresh(comNumber, now);
    return taken;
}

std::optional<SimulatedCardState::Nanos> SimulatedCardState::queuedFallsTo(int comNumber, std::size_t count,
                                                                           Nanos now) const {
    const SimulatedPort& port = *findPort(comNumber);
    const SimulatedOpenPort& open = *port.open;
    if (open.tx.size() <= count) return now;
    if (!open.sending || !mayTransmit(comNumber, port)) return std::nullopt;
    const std::size_t ahead = open.flowCharacter ? 1 : 0;
    return open.transmitter.finishTimeOf(open.tx.size() - count + ahead, port.line);
}

void SimulatedCardState::setWriteStalled(int comNumber, bool stalled, Nanos now) {
    ports_[comNumber].writeStalled = stalled;
    refresh(comNumber, now);
    notifyLine(comNumber);
}

void SimulatedCardState::lineStateChanged(int comNumber, Nanos now) {
    SimulatedPort& port = ports_[comNumber];
    if (usable(port.open)) {
        // Switching XON/XOFF off ends a hold by XOFF, as the kernel restarts output then.
        if (!port.line.outX) port.open->xoffReceived = false;
        // The character on the line restarts at the new rate.
        if (port.open->sending) port.open->transmitter.start(now);
    }
    refreshLine(comNumber, now);
    notifyLine(comNumber);
}

void SimulatedCardState::setInternalLoopback(int comNumber, bool on, Nanos now) {
    // Its own input and its null-modem peer's both change sources, and both CTS inputs.
    ports_[comNumber].open->internalLoopback = on;
    refreshLine(comNumber, now);
    notifyLine(comNumber);
}

void SimulatedCardState::inputChanged(int comNumber, Nanos now) {
    if (usable(ports_[comNumber].open)) updateThrottle(comNumber, now);
}

void SimulatedCardState::wiringChanged(Nanos now) {
    for (auto& [com, port] : ports_) refresh(com, now);
    notifyAll();
}

void SimulatedCardState::waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                                 std::optional<Nanos> wake) {
    if (clock_ == Clock::SkipAhead && wake) {
        if (*wake > virtualNow_) advance(*wake - virtualNow_);
        return;
    }
    if (clock_ != Clock::Real || !wake) {
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
