// Packet building, counting and showing, driven on the window thread's tester.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/display_operations.h"
#include "engine/engine_state.h"
#include "engine/port_tester.h"
#include "platform/simulated_card.h"
#include "recording_backend.h"
#include "support/recording_message_sink.h"

namespace brenmoor::engine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

class PacketTest : public ::testing::Test {
protected:
    PacketTest() {
        tables.m_strWriteDelay.setText("0");
        platform::OpenError error;
        engine.ports.handles[kPort] = backend.open("COM5", error);
        engine.ports.portOpen[kPort] = 1;
        engine.g_pTestDlg.store(&console);
        console.setEnableChecked(kPort, true);
    }

    void setPattern(int alpha, int quickBrown, int userData, int file) {
        config::PortDataPattern& pattern = tables.g_PortDataPattern[kPort];
        pattern.nAlpha = alpha;
        pattern.nQuickBrown = quickBrown;
        pattern.nUserData = userData;
        pattern.nFile = file;
    }
    void setFile(const Bytes& data) {
        config::PortDataPattern& pattern = tables.g_PortDataPattern[kPort];
        std::copy(data.begin(), data.end(), pattern.FileData.begin());
        pattern.nFileDataLen = static_cast<std::int32_t>(data.size());
    }
    // The next packet as the transmit thread chooses it.
    void sendNext() {
        if (engine.fileTransfer[kPort].continuation.load())
            tester.SendNextChunk(kPort);
        else
            tester.SendPacket(kPort);
    }
    // An empty packet is written too, but a write of nothing never reaches the device.
    std::vector<Bytes> written() {
        std::vector<Bytes> out;
        for (const test::WriteRecord& record : backend.log.writesOf(5)) out.push_back(record.bytes);
        return out;
    }

    static constexpr int kPort = 1;
    config::SettingsTables tables;
    test::RecordingMessageSink messages;
    platform::SimulatedCard card;
    test::RecordingBackend backend{card};
    EngineState engine{tables, messages};
    ConsoleModel console;
    PortTester tester{engine};
};

struct PatternCase {
    const char* name;
    int alpha, quickBrown, userData, file;
    std::string userPattern;
    std::string sent;

    friend void PrintTo(const PatternCase& c, std::ostream* os) { *os << c.name; }
};

class PatternChoice : public PacketTest, public ::testing::WithParamInterface<PatternCase> {};

TEST_P(PatternChoice, EveryPacketCarriesTheFirstChoiceThatHolds) {
    const PatternCase& c = GetParam();
    setPattern(c.alpha, c.quickBrown, c.userData, c.file);
    tables.g_PortDataPattern[kPort].strUserPattern = c.userPattern;

    tester.SendPacket(kPort);
    tester.SendPacket(kPort);

    const std::vector<Bytes> expected =
        c.sent.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{bytesOf(c.sent), bytesOf(c.sent)};
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(console.panel(kPort).sentText, c.sent + c.sent);
    EXPECT_EQ(console.panel(kPort).packetCount, "2");
    EXPECT_TRUE(messages.messages().empty());
}

const std::string kUser = "Octal Serial Port Driver User Interface\r\n";

INSTANTIATE_TEST_SUITE_P(
    Choices, PatternChoice,
    ::testing::Values(
        PatternCase{"Alphabet", 1, 0, 0, 0, kUser, "0123456789abcdefghijklmnopqrstuvwxyz.\r\n"},
        PatternCase{"Sentence", 0, 1, 0, 0, kUser, "Quick Brown Fox Jumps Over The Lazy Dog.\r\n"},
        PatternCase{"UserPattern", 0, 0, 1, 0, kUser, kUser},
        PatternCase{"AlphabetWinsOverAll", 1, 1, 1, 1, kUser, "0123456789abcdefghijklmnopqrstuvwxyz.\r\n"},
        PatternCase{"SentenceWinsOverUser", 0, 1, 1, 0, kUser, "Quick Brown Fox Jumps Over The Lazy Dog.\r\n"},
        PatternCase{"UserPatternCutToWhatTheDialogAllows", 0, 0, 1, 0, std::string(150, 'u'), std::string(100, 'u')},
        PatternCase{"FileNeverChosenIsEmpty", 0, 0, 0, 1, kUser, ""},
        PatternCase{"NoChoiceSendsTheEmptyFile", 0, 0, 0, 0, kUser, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct FileCase {
    std::int32_t length;
    // Offset into the file and size of each packet: the first pass, then the next one's start.
    std::vector<std::pair<std::size_t, std::size_t>> packets;

    std::string name() const { return "Length" + std::to_string(length); }
    friend void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name(); }
};

class FilePasses : public PacketTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FilePasses, AFileGoesOutInHundredByteChunksAndStartsAgain) {
    const FileCase& c = GetParam();
    Bytes data(static_cast<std::size_t>(c.length));
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>('A' + i % 26);
    setFile(data);
    setPattern(0, 0, 0, 1);

    for (std::size_t i = 0; i < c.packets.size(); ++i) sendNext();

    std::vector<Bytes> expected;
    for (const auto& [offset, size] : c.packets)
        if (size > 0) expected.emplace_back(data.begin() + offset, data.begin() + offset + size);
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(console.panel(kPort).packetCount, std::to_string(c.packets.size()));
}

INSTANTIATE_TEST_SUITE_P(Lengths, FilePasses,
                         ::testing::Values(FileCase{250, {{0, 100}, {100, 100}, {200, 50}, {0, 100}}},
                                           FileCase{200, {{0, 100}, {100, 100}, {200, 0}, {0, 100}}},
                                           FileCase{100, {{0, 100}, {100, 0}, {0, 100}}},
                                           FileCase{99, {{0, 99}, {0, 99}}}),
                         [](const auto& info) { return info.param.name(); });

TEST_F(PacketTest, FileDataWithAZeroByteIsWrittenWholeAndShownUpToIt) {
    setFile(bytesOf(std::string("ab\0cd", 5)));
    setPattern(0, 0, 0, 1);

    tester.SendPacket(kPort);

    EXPECT_EQ(written(), std::vector<Bytes>{bytesOf(std::string("ab\0cd", 5))});
    EXPECT_EQ(console.panel(kPort).sentText, "ab");
}

TEST_F(PacketTest, WithEnableClearPacketsAreCountedButNotShown) {
    setPattern(1, 0, 0, 0);
    console.setEnableChecked(kPort, false);
    for (int i = 0; i < 3; ++i) tester.SendPacket(kPort);

    EXPECT_EQ(written().size(), 3u);
    EXPECT_EQ(console.panel(kPort).packetCount, "3");
    EXPECT_EQ(console.panel(kPort).sentText, "");
}

TEST_F(PacketTest, WithoutAConsoleNothingIsSentOrCounted) {
    engine.g_pTestDlg.store(nullptr);
    setFile(Bytes(250, 'f'));
    setPattern(0, 0, 0, 1);
    engine.fileTransfer[kPort].continuation.store(1);
    engine.fileTransfer[kPort].remaining = 150;

    tester.SendPacket(kPort);
    tester.SendNextChunk(kPort);

    EXPECT_TRUE(written().empty());
    EXPECT_EQ(engine.portRunState[kPort].packetsSent.load(), 0);
}

TEST_F(PacketTest, APortIndexOutsideTheCardIsRejectedWithDefault) {
    ASSERT_TRUE(engine.sending[kPort].run());
    console.takeChangedPorts();

    tester.StartPort(8);
    tester.StopPort(-1);
    ShowPacketCount(engine, 8);
    ShowSentText(engine, "x", -3);

    const platform::MessageBoxRequest defaultBox{"DEFAULT", "Error", platform::MessageIcon::Warning,
                                                 platform::MessageOwner::MainWindow};
    EXPECT_EQ(messages.messages(), std::vector<platform::MessageBoxRequest>(4, defaultBox));
    EXPECT_EQ(console.takeChangedPorts(), 0u);
    EXPECT_TRUE(written().empty());
    EXPECT_TRUE(engine.sending[kPort].running());
}

}  // namespace
}  // namespace brenmoor::engine
