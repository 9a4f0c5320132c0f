#pragma once
// Reads a text stream the way the C library's formatted input reads "%s" and "%d", one
// character at a time with one character of push-back, so what a record leaves unread is
// exactly what the next record starts from. Nothing is held but the character in hand:
// a word or a number of any length takes no memory.

#include <cstdint>
#include <cstdio>
#include <optional>

namespace brenmoor::config {

class ScanStream {
public:
    explicit ScanStream(std::FILE* file) : file_(file) {}

    // "%s" with the word thrown away: skips white space, then one word. False when the
    // stream ended (or failed) before a word began.
    bool skipWord();

    // " %d": skips white space, then an optional sign and decimal digits. Nothing when
    // the stream ends first or the next character does not start a number; a sign that
    // is not followed by a digit is used up, the character after it is not. Out-of-range
    // numbers give what glibc stores: the value limited to 64 bits, then its low 32 bits.
    std::optional<std::int32_t> readInt();

private:
    int skipSpace();

    std::FILE* file_;
};

}  // namespace brenmoor::config
