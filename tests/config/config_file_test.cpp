#include "config/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_message_sink.h"
#include "support/temp_dir.h"
#include "test_files.h"

namespace {

using namespace brenmoor::config;
using namespace std::string_literals;
using brenmoor::platform::MessageBoxRequest;
using brenmoor::platform::MessageIcon;
using brenmoor::platform::MessageOwner;
using brenmoor::test::directoryEntries;
using brenmoor::test::readFile;
using brenmoor::test::RecordingMessageSink;
using brenmoor::test::TempDir;
using brenmoor::test::writeFile;
using Field = std::int32_t PortRegistryEntry::*;

const MessageBoxRequest kUnableToLoad{"Unable to Load the file", "Error", MessageIcon::Warning, MessageOwner::MainWindow};
const MessageBoxRequest kUnableToRead{"Unable to read from the file", "Error", MessageIcon::Warning, MessageOwner::MainWindow};

// The fields a line carries after its label, in file order.
const Field kFileFields[] = {
    &PortRegistryEntry::nBaud,  &PortRegistryEntry::nDataBits, &PortRegistryEntry::nParity, &PortRegistryEntry::nStopBits,
    &PortRegistryEntry::nFlowCtrl, &PortRegistryEntry::nComBase, &PortRegistryEntry::nRS485, &PortRegistryEntry::nIR,
    &PortRegistryEntry::nDTR,   &PortRegistryEntry::nDTRHys,   &PortRegistryEntry::nRTS,    &PortRegistryEntry::nRTSHys,
    &PortRegistryEntry::nTxFIFO, &PortRegistryEntry::nTxTrig,  &PortRegistryEntry::nRxFIFO,
};

// Every field a distinct value, nRxTrig and nPortOpen included, so any field a load
// touches or misses shows.
PortRegistryTable marked(int base) {
    PortRegistryTable table{};
    for (int port = 0; port < kPortCount; ++port) {
        auto& e = table[static_cast<std::size_t>(port)];
        int i = base + 100 * port;
        for (Field f : kFileFields) e.*f = ++i;
        e.nRxTrig = ++i;
        e.nPortOpen = ++i;
    }
    return table;
}

std::string line(const std::string& label, const std::vector<long long>& values) {
    std::string text = label;
    for (long long v : values) text += " " + std::to_string(v);
    return text + "\n";
}

std::vector<long long> fileValues(const PortRegistryEntry& e) {
    std::vector<long long> values;
    for (Field f : kFileFields) values.push_back(e.*f);
    return values;
}

void setFileValues(PortRegistryEntry& e, const std::vector<long long>& values) {
    for (std::size_t i = 0; i < values.size() && i < std::size(kFileFields); ++i) e.*kFileFields[i] = static_cast<std::int32_t>(values[i]);
}

class ConfigFileTest : public ::testing::Test {
protected:
    bool load(const std::string& bytes, PortRegistryTable& table) {
        writeFile(dir_.file("in.txt"), bytes);
        return ConfigFile::Load(dir_.file("in.txt"), table, messages_);
    }
    void expectMessages(const std::vector<MessageBoxRequest>& expected) const { EXPECT_EQ(messages_.messages(), expected); }

    TempDir dir_;
    RecordingMessageSink messages_;
};

TEST_F(ConfigFileTest, SaveWritesOneLinePerPortFromTheTable) {
    PortRegistryTable defaults{};
    for (int port = 0; port < kPortCount; ++port) defaults[static_cast<std::size_t>(port)] = portDefaults(port).registry;
    const auto path = dir_.file("new.txt");
    ASSERT_TRUE(ConfigFile::Save(path, defaults, messages_));
    EXPECT_EQ(readFile(path),
              "SERIAL0 6 3 4 0 2 3 0 0 1 2 0 2 0 1 0\n"
              "SERIAL1 6 3 4 0 2 4 0 0 0 1 1 1 0 17 0\n"
              "SERIAL2 6 3 4 0 2 5 0 0 1 0 0 0 0 27 0\n"
              "SERIAL3 6 3 4 0 2 6 0 0 0 3 1 3 0 37 0\n"
              "SERIAL4 6 3 4 0 2 7 0 0 1 1 0 1 0 47 0\n"
              "SERIAL5 6 3 4 0 2 8 0 0 0 1 1 2 0 33 0\n"
              "SERIAL6 6 3 4 0 2 9 0 0 1 0 0 0 0 4 0\n"
              "SERIAL7 6 3 4 0 2 10 0 0 0 4 1 4 0 14 0\n");
    expectMessages({});
    EXPECT_EQ(directoryEntries(dir_.path()), std::set<std::string>{"new.txt"});
}

TEST_F(ConfigFileTest, SaveThenLoadLeavesTheTableAsItWas) {
    PortRegistryTable saved = marked(0);
    saved[0].nComBase = -5;  // unchecked values go through too
    for (int port = 1; port < kPortCount; ++port) saved[static_cast<std::size_t>(port)].nComBase = -5 + port;
    const auto path = dir_.file("round.txt");
    ASSERT_TRUE(ConfigFile::Save(path, saved, messages_));

    PortRegistryTable loaded = saved;
    ASSERT_TRUE(ConfigFile::Load(path, loaded, messages_));
    EXPECT_EQ(loaded, saved);

    // Loaded into other settings: the file's fields arrive, nRxTrig and nPortOpen stay.
    PortRegistryTable other = marked(5000);
    ASSERT_TRUE(ConfigFile::Load(path, other, messages_));
    for (std::size_t port = 0; port < kPortCount; ++port) {
        PortRegistryEntry expected = saved[port];
        expected.nRxTrig = marked(5000)[port].nRxTrig;
        expected.nPortOpen = marked(5000)[port].nPortOpen;
        EXPECT_EQ(other[port], expected) << port;
    }
    expectMessages({});
}

TEST_F(ConfigFileTest, PortsOneToSevenTakeTheComIndexesAfterPortZero) {
    std::string text;
    for (int port = 0; port < kPortCount; ++port) text += line("SERIAL" + std::to_string(port), {6, 3, 4, 0, 2, port == 0 ? 7 : 2, 0, 0, 1, 2, 0, 2, 0, 1, 0});
    PortRegistryTable table = marked(0);
    ASSERT_TRUE(load(text, table));
    for (int port = 0; port < kPortCount; ++port) EXPECT_EQ(table[static_cast<std::size_t>(port)].nComBase, 7 + port) << port;
}

TEST_F(ConfigFileTest, ShortFilesLoadWhatTheyHoldThenReport) {
    const PortRegistryTable old = marked(0);
    const PortRegistryTable source = marked(3000);
    std::string threeLines;
    for (std::size_t port = 0; port < 3; ++port) threeLines += line("SERIAL" + std::to_string(port), fileValues(source[port]));

    struct Case {
        const char* what;
        std::string bytes;
        std::size_t portsLoaded;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"only blank space", " \n\t\r\n", 0},
        {"three lines", threeLines, 3},
        {"three lines, no final newline", threeLines.substr(0, threeLines.size() - 1), 3},
    };
    for (const auto& c : cases) {
        messages_.clear();
        PortRegistryTable table = old;
        EXPECT_FALSE(load(c.bytes, table)) << c.what;
        for (std::size_t port = 0; port < kPortCount; ++port) {
            PortRegistryEntry expected = old[port];
            if (port < c.portsLoaded) {
                setFileValues(expected, fileValues(source[port]));
                if (port > 0) expected.nComBase = source[0].nComBase + static_cast<std::int32_t>(port);
            }
            EXPECT_EQ(table[port], expected) << c.what << ", port " << port;
        }
        expectMessages({kUnableToRead});
    }
}

TEST_F(ConfigFileTest, ALabelOfAnyLengthIsSkipped) {
    const PortRegistryTable source = marked(3000);
    std::string proper, odd;
    for (std::size_t port = 0; port < kPortCount; ++port) {
        proper += line("SERIAL" + std::to_string(port), fileValues(source[port]));
        odd += line(port == 0 ? std::string(100 * 1024, 'W') : port == 1 ? "-17" : "\xc3\xa9t\xc3\xa9", fileValues(source[port]));
    }
    PortRegistryTable fromProper = marked(0);
    PortRegistryTable fromOdd = marked(0);
    ASSERT_TRUE(load(proper, fromProper));
    ASSERT_TRUE(load(odd, fromOdd));
    EXPECT_EQ(fromOdd, fromProper);
    EXPECT_EQ(fromOdd[0].nBaud, source[0].nBaud);
}

TEST_F(ConfigFileTest, SixteenIntegersOnTheFirstLineShiftTheRecords) {
    const PortRegistryTable old = marked(0);
    const PortRegistryTable source = marked(3000);
    std::vector<long long> first = fileValues(source[0]);
    first.push_back(16);
    std::string text = line("SERIAL0", first);
    for (std::size_t port = 1; port < kPortCount; ++port) text += line("SERIAL" + std::to_string(port), fileValues(source[port]));

    PortRegistryTable table = old;
    ASSERT_TRUE(load(text, table));
    PortRegistryTable expected = old;
    setFileValues(expected[0], fileValues(source[0]));
    // Port 1's label is the "16"; its first number would be the word SERIAL1, so it keeps
    // its values. From then on each port reads the line written for the port before it.
    for (std::size_t port = 2; port < kPortCount; ++port) setFileValues(expected[port], fileValues(source[port - 1]));
    for (std::size_t port = 1; port < kPortCount; ++port) expected[port].nComBase = expected[0].nComBase + static_cast<std::int32_t>(port);
    EXPECT_EQ(table, expected);
    expectMessages({});
}

TEST_F(ConfigFileTest, NumbersAreStoredAsGlibcConvertsThemUnchecked) {
    // The sixth number, nComBase, is the largest 32-bit value.
    std::string text = "SERIAL0 99 -5 +7 2147483648 4294967296 2147483647 4294967297 -2147483649 "
                       "99999999999999999999 -99999999999999999999 0000000000000000000000042 -0 1 2147483647 40\n";
    for (int port = 1; port < kPortCount; ++port) text += "SERIAL" + std::to_string(port) + " 1\n";
    PortRegistryTable table = marked(0);
    ASSERT_TRUE(load(text, table));
    const std::vector<long long> expected = {99, -5, 7, -2147483648LL, 0, 2147483647, 1, 2147483647, -1, 0, 42, 0, 1, 2147483647, 40};
    EXPECT_EQ(fileValues(table[0]), expected);
    // The COM indexes after it wrap, as the 32-bit field does.
    for (int port = 1; port < kPortCount; ++port) {
        EXPECT_EQ(table[static_cast<std::size_t>(port)].nComBase, static_cast<std::int32_t>(0x7fffffffU + static_cast<unsigned>(port)));
    }
}

// Longer than any input of the comparison below, so no label can overflow the reference's
// buffer.
constexpr std::size_t kLongestInput = 64 * 1024;

// What the C library's own fscanf makes of the same bytes with the same format, record by
// record.
bool loadWithFscanf(const std::filesystem::path& path, PortRegistryTable& table) {
    static char label[kLongestInput + 1];
    std::FILE* file = std::fopen(path.c_str(), "r");
    bool ended = false;
    for (int port = 0; port < kPortCount; ++port) {
        int v[15];
        const int n = std::fscanf(file, "%s %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", label, &v[0], &v[1], &v[2], &v[3], &v[4],
                                  &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14]);
        if (n == EOF) {
            ended = true;
            break;
        }
        auto& e = table[static_cast<std::size_t>(port)];
        for (int i = 0; i + 1 < n; ++i) e.*kFileFields[i] = v[i];
        if (port > 0) e.nComBase = static_cast<std::int32_t>(static_cast<std::uint32_t>(table[0].nComBase) + static_cast<std::uint32_t>(port));
    }
    std::fclose(file);
    return !ended;
}

TEST_F(ConfigFileTest, ReadsEveryFileAsTheCLibraryWould) {
    std::vector<std::string> inputs = {
        "SERIAL0 1 2 3\nSERIAL1 -x 5 6\nSERIAL2 --5 6 +-7 - 8 + 9\n",
        "A 1 2\r\nB 3\t4\v5\f6\r\n\n\nC 7",
        "L 12abc 5\nM 0x1F 3\nN 1e5 2\nO 3.5 4\n",
        "S\0ERIAL0 1 2\0 3 4\n T 5 6-7 8\n"s,
        "W \xa0 1 \xff 2\n\xa0\xa0 3\n",
        "only-a-label",
        "X -",
        "Y 5 +",
        std::string(2000, '9') + " " + std::string(3000, '8') + " -" + std::string(5000, '7') + "\n",
        "\n\n\n\n\n\n\n\n\n\n SERIAL7 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34",
    };
    // Pseudo-random bytes, weighted towards what makes records convert.
    std::mt19937 random(20240611);
    const std::string common = "0123456789       \n\n\t-+-+SERIAL";
    for (int blob = 0; blob < 60; ++blob) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 600)(random), '\0');
        for (char& c : bytes) {
            c = random() % 4 == 0 ? static_cast<char>(random() % 256) : common[random() % common.size()];
        }
        inputs.push_back(bytes);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_LT(inputs[i].size(), kLongestInput) << "input " << i;
        const auto path = dir_.file("case.txt");
        writeFile(path, inputs[i]);
        PortRegistryTable expected = marked(0);
        const bool expectedComplete = loadWithFscanf(path, expected);
        PortRegistryTable table = marked(0);
        messages_.clear();
        EXPECT_EQ(ConfigFile::Load(path, table, messages_), expectedComplete) << "input " << i;
        EXPECT_EQ(table, expected) << "input " << i;
        EXPECT_EQ(messages_.messages(), expectedComplete ? std::vector<MessageBoxRequest>{} : std::vector{kUnableToRead}) << "input " << i;
    }
}

TEST_F(ConfigFileTest, LoadOfWhatCannotBeOpenedChangesNothing) {
    std::filesystem::create_directory(dir_.file("a-directory"));
    ASSERT_EQ(::mkfifo(dir_.file("a-fifo").c_str(), 0600), 0);
    for (const auto& path : {dir_.file("missing.txt"), dir_.file("a-directory"), dir_.file("a-fifo")}) {
        messages_.clear();
        PortRegistryTable table = marked(0);
        EXPECT_FALSE(ConfigFile::Load(path, table, messages_)) << path;
        EXPECT_EQ(table, marked(0)) << path;
        expectMessages({kUnableToLoad});
    }
}

TEST_F(ConfigFileTest, SaveFailingPartWayLeavesTheOldFileWhole) {
    const auto path = dir_.file("config.txt");
    const std::string old = "SERIAL0 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n";
    writeFile(path, old);
    bool saved = true;
    {
        brenmoor::test::FileSizeLimit limit(50);  // the first line fits, the second does not
        saved = ConfigFile::Save(path, marked(0), messages_);
    }
    EXPECT_FALSE(saved);
    expectMessages({kUnableToRead});
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(directoryEntries(dir_.path()), std::set<std::string>{"config.txt"});
}

TEST_F(ConfigFileTest, SaveWhereNoFileCanBeWrittenReportsAndTouchesNothing) {
    std::filesystem::create_directory(dir_.file("a-directory"));
    // A FIFO with a reader opens for writing like a file; it must not be replaced by one.
    const auto fifo = dir_.file("a-fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const std::filesystem::path cases[] = {dir_.path() / "no-such-dir" / "c.txt", dir_.file("a-directory"), fifo};
    for (const auto& path : cases) {
        messages_.clear();
        EXPECT_FALSE(ConfigFile::Save(path, marked(0), messages_)) << path;
        expectMessages({kUnableToLoad});
    }
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.file("a-directory")));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(directoryEntries(dir_.path()), (std::set<std::string>{"a-directory", "a-fifo"}));
}

TEST_F(ConfigFileTest, SaveReplacesTheFileALinkNamesAndKeepsItsPermissions) {
    const auto real = dir_.file("real.txt");
    const auto link = dir_.file("link.txt");
    writeFile(real, "old\n");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, link);

    ASSERT_TRUE(ConfigFile::Save(link, marked(0), messages_));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(real).substr(0, 8), "SERIAL0 ");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(directoryEntries(dir_.path()), (std::set<std::string>{"link.txt", "real.txt"}));
}

}  // namespace
