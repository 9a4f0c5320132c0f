#include "config/scan_stream.h"

#include <limits>

namespace brenmoor::config {
namespace {

// White space of the C locale, spelt out: the window side sets the user's locale, which
// must not change how a file reads.
bool isSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

int ScanStream::skipSpace() {
    int c = std::getc(file_);
    while (isSpace(c)) c = std::getc(file_);
    return c;
}

bool ScanStream::skipWord() {
    int c = skipSpace();
    if (c == EOF) return false;
    while (c != EOF && !isSpace(c)) c = std::getc(file_);
    if (c != EOF) std::ungetc(c, file_);
    return true;
}

std::optional<std::int32_t> ScanStream::readInt() {
    int c = skipSpace();
    const bool negative = c == '-';
    if (c == '-' || c == '+') c = std::getc(file_);
    if (!isDigit(c)) {
        if (c != EOF) std::ungetc(c, file_);
        return std::nullopt;
    }
    // The magnitude is limited to what a signed 64-bit number holds on its side of zero.
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
    const std::uint64_t limit = negative ? kMaxPositive + 1 : kMaxPositive;
    std::uint64_t magnitude = 0;
    for (; isDigit(c); c = std::getc(file_)) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (c != EOF) std::ungetc(c, file_);
    const std::uint64_t bits = negative ? 0 - magnitude : magnitude;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

}  // namespace brenmoor::config
