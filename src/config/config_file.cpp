#include "config/config_file.h"

#include <cstdint>
#include <string>

#include "config/scan_stream.h"
#include "platform/safe_file.h"

namespace brenmoor::config {
namespace {

constexpr const char* kOpenFailed = "Unable to Load the file";
constexpr const char* kTransferFailed = "Unable to read from the file";

// The fields of a line after its label, in file order.
constexpr std::int32_t PortRegistryEntry::*kFileFields[] = {
    &PortRegistryEntry::nBaud,   &PortRegistryEntry::nDataBits, &PortRegistryEntry::nParity,
    &PortRegistryEntry::nStopBits, &PortRegistryEntry::nFlowCtrl, &PortRegistryEntry::nComBase,
    &PortRegistryEntry::nRS485,  &PortRegistryEntry::nIR,       &PortRegistryEntry::nDTR,
    &PortRegistryEntry::nDTRHys, &PortRegistryEntry::nRTS,      &PortRegistryEntry::nRTSHys,
    &PortRegistryEntry::nTxFIFO, &PortRegistryEntry::nTxTrig,   &PortRegistryEntry::nRxFIFO,
};

void report(platform::MessageSink& messages, const char* text) {
    messages.showMessage({text, "Error", platform::MessageIcon::Warning, platform::MessageOwner::MainWindow});
}

// The label: "SERIAL%d:" formatted, less its last character.
std::string label(int port) {
    std::string text = "SERIAL" + std::to_string(port) + ":";
    text.pop_back();
    return text;
}

std::string line(int port, const PortRegistryEntry& entry) {
    std::string text = label(port);
    for (auto field : kFileFields) text += " " + std::to_string(entry.*field);
    return text + "\n";
}

// Port 0's COM index plus the port index, wrapping as the 32-bit field would rather than
// overflowing: the index comes from the file unchecked.
std::int32_t followingComIndex(std::int32_t base, int port) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(port));
}

}  // namespace

bool ConfigFile::Save(const std::filesystem::path& path, const PortRegistryTable& registry,
                      platform::MessageSink& messages) {
    platform::FileReplacement file(path);
    if (!file.open()) {
        report(messages, kOpenFailed);
        return false;
    }
    for (int port = 0; port < kPortCount; ++port) {
        if (!file.write(line(port, registry[static_cast<std::size_t>(port)]))) {
            report(messages, kTransferFailed);
            return false;
        }
    }
    if (!file.commit()) {
        report(messages, kTransferFailed);
        return false;
    }
    return true;
}

bool ConfigFile::Load(const std::filesystem::path& path, PortRegistryTable& registry,
                      platform::MessageSink& messages) {
    platform::OpenOutcome outcome{};
    platform::InputFile file = platform::openRegularFile(path, outcome);
    if (!file) {
        report(messages, kOpenFailed);
        return false;
    }
    ScanStream in(file.get());
    for (int port = 0; port < kPortCount; ++port) {
        if (!in.skipWord()) {
            report(messages, kTransferFailed);
            return false;
        }
        PortRegistryEntry& entry = registry[static_cast<std::size_t>(port)];
        for (auto field : kFileFields) {
            const auto value = in.readInt();
            if (!value) break;
            entry.*field = *value;
        }
        if (port > 0) entry.nComBase = followingComIndex(registry[0].nComBase, port);
    }
    return true;
}

}  // namespace brenmoor::config
