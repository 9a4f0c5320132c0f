// Building, counting and writing a port's packets.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/display_operations.h"
#include "engine/port_tester.h"

namespace brenmoor::engine {
namespace {

std::chrono::milliseconds writeDelay(const config::SettingsTables& tables) {
    return std::chrono::milliseconds(std::max<std::int32_t>(tables.m_strWriteDelay.milliseconds(), 0));
}

}  // namespace

bool PortTester::waitForPortTurn(int port) {
    if (!onTransmitThread()) return true;
    return !engine_.sessionStop.waitUntil(engine_.sending[port].earliestNext());
}

bool PortTester::portStillSending(int port) const { return !onTransmitThread() || engine_.sending[port].sending(); }

void PortTester::SendPacket(int port) {
    if (!waitForPortTurn(port)) return;
    PortSendState& sending = engine_.sending[port];
    std::unique_lock building(sending.building);
    if (!portStillSending(port)) return;

    engine_.fileTransfer[port].readPosition = 0;
    // Without a console nothing is sent or counted; the write delay is kept all the same.
    ConsoleModel* console = engine_.g_pTestDlg.load();
    std::int32_t packetNumber = 0;
    std::uint32_t length = 0;
    if (console) {
        ports_[port].Attach(handles_[port]);
        const bool show = console->isEnableChecked(port);
        length = buildPacket(port);
        countAndShow(port, length, show);
        packetNumber = engine_.portRunState[port].packetsSent.load();
    }
    // The write delay runs from here; the window thread leaves it to the transmit thread,
    // which builds nothing for the port before it has passed.
    const Clock::time_point delayEnds = onTransmitThread() ? sending.packetBuilt(writeDelay(engine_.tables))
                                                           : sending.firstPacketBuilt(writeDelay(engine_.tables));

    if (console) {
        writePacket(port, building, length);
        // The first packet of the only running port wakes the transmit thread, asleep until now.
        const platform::EventHandle& writeEvent = onTransmitThread() ? transmit_->writeEvent : engine_.writeEvent;
        if (packetNumber == 1 && engine_.runningPortCount.load() == 1 && writeEvent) writeEvent->set();
    } else {
        building.unlock();
    }
    if (onTransmitThread()) engine_.sessionStop.waitUntil(delayEnds);
}

void PortTester::SendNextChunk(int port) {
    ConsoleModel* console = engine_.g_pTestDlg.load();
    if (!console || !waitForPortTurn(port)) return;
    std::unique_lock building(engine_.sending[port].building);
    if (!portStillSending(port)) return;
    ports_[port].Attach(handles_[port]);
    const bool show = console->isEnableChecked(port);
    FileTransferState& file = engine_.fileTransfer[port];
    std::uint32_t length = 0;
    if (file.remaining >= kChunkSize) {
        file.remaining -= kChunkSize;
        file.continuation.store(1);
        length = takeFileChunk(port, kChunkSize);
    } else {
        file.continuation.store(0);
        length = takeFileChunk(port, file.remaining);
    }
    buffers_[port][length] = 0;
    countAndShow(port, length, show);
    writePacket(port, building, length);
}

std::uint32_t PortTester::buildPacket(int port) {
    const config::PortDataPattern& pattern = engine_.tables.g_PortDataPattern[port];
    std::array<std::uint8_t, kTransmitBufferSize>& buffer = buffers_[port];
    std::uint32_t length = 0;
    const auto copyText = [&](std::string_view text) {
        length = static_cast<std::uint32_t>(text.size());
        std::memcpy(buffer.data(), text.data(), text.size());
    };
    if (pattern.nAlpha != 0) {
        copyText(kAlphabetLine);
    } else if (pattern.nQuickBrown != 0) {
        copyText(kSentenceLine);
    } else if (pattern.nUserData != 0) {
        copyText(std::string_view(pattern.strUserPattern).substr(0, config::kUserPatternLimit));
    } else {
        // Whatever nFile holds, the file data: a pass starts at its first byte.
        FileTransferState& file = engine_.fileTransfer[port];
        file.continuation.store(0);
        file.remaining = std::clamp<std::int32_t>(pattern.nFileDataLen, 0, config::kFileDataSize);
        if (file.remaining >= kChunkSize) {
            file.remaining -= kChunkSize;
            file.continuation.store(1);
            length = takeFileChunk(port, kChunkSize);
        } else {
            length = takeFileChunk(port, file.remaining);
        }
    }
    buffer[length] = 0;
    return length;
}

// Copies the file's next `wanted` bytes from the read position, never beyond the data area.
std::uint32_t PortTester::takeFileChunk(int port, std::int32_t wanted) {
    FileTransferState& file = engine_.fileTransfer[port];
    const config::PortDataPattern& pattern = engine_.tables.g_PortDataPattern[port];
    const std::int32_t available = static_cast<std::int32_t>(config::kFileDataSize) - file.readPosition;
    const std::int32_t count = std::clamp(wanted, 0, std::max(available, 0));
    std::memcpy(buffers_[port].data(), pattern.FileData.data() + file.readPosition, static_cast<std::size_t>(count));
    file.readPosition += count;
    return static_cast<std::uint32_t>(count);
}

// Counted and shown before the write, under the building lock: a slow write can then
// never put an older count over a newer one.
void PortTester::countAndShow(int port, std::uint32_t length, bool show) {
    engine_.portRunState[port].packetsSent.fetch_add(1);
    if (show)
        ShowSentText(engine_, std::string_view(reinterpret_cast<const char*>(buffers_[port].data()), length), port);
    ShowPacketCount(engine_, port);
}

void PortTester::writePacket(int port, std::unique_lock<std::mutex>& building, std::uint32_t length) {
    std::unique_lock writing(engine_.sending[port].writing);
    building.unlock();
    const bool written = ports_[port].Write(buffers_[port].data(), length);
    writing.unlock();
    const std::optional<platform::MessageBoxRequest> message = held_[port].take();
    if (written || !message) return;
    if (handles_[port] && handles_[port]->isGone())
        portLost(port);
    else
        transferFailed(port, *message);
}

}  // namespace brenmoor::engine
