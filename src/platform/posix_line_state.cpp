#include "platform/posix_line_state.h"

#include <cstdint>

namespace brenmoor::platform {
namespace {

struct BaudSpeed {
    std::uint32_t baud;
    speed_t speed;
};

constexpr BaudSpeed kSpeeds[] = {
    {110, B110},     {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},   {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

constexpr tcflag_t kSizeFlags[] = {CS5, CS6, CS7, CS8};

bool speedOf(std::uint32_t baud, speed_t& speed) {
    for (const BaudSpeed& entry : kSpeeds) {
        if (entry.baud != baud) continue;
        speed = entry.speed;
        return true;
    }
    return false;
}

}  // namespace

void makeRaw(termios& settings) {
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~HUPCL;
    // Bytes are passed on as they come; this tool shows line errors nowhere.
    settings.c_iflag &= ~(INPCK | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

bool applyLineState(const LineState& state, termios& settings) {
    speed_t speed;
    if (!speedOf(state.baudRate, speed) || state.byteSize < 5 || state.byteSize > 8) return false;
    makeRaw(settings);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);

    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= kSizeFlags[state.byteSize - 5];
    switch (state.parity) {
        case Parity::None: break;
        case Parity::Odd: settings.c_cflag |= PARENB | PARODD; break;
        case Parity::Even: settings.c_cflag |= PARENB; break;
        case Parity::Mark: settings.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case Parity::Space: settings.c_cflag |= PARENB | CMSPAR; break;
    }
    // The UART's one extra-stop-bit setting: 1.5 stop bits with 5 data bits, 2 otherwise.
    if (state.stopBits != StopBits::One) settings.c_cflag |= CSTOPB;
    if (state.outxCtsFlow || state.rtsControl == RtsControl::Handshake) settings.c_cflag |= CRTSCTS;

    settings.c_iflag &= ~(IXON | IXOFF);
    if (state.outX) settings.c_iflag |= IXON;
    if (state.inX) settings.c_iflag |= IXOFF;
    settings.c_cc[VSTART] = static_cast<cc_t>(state.xonChar);
    settings.c_cc[VSTOP] = static_cast<cc_t>(state.xoffChar);
    return true;
}

LineState lineStateOf(const termios& settings, std::uint32_t baudRate, const LineState& kept, bool pseudoTerminal) {
    LineState read = kept;
    read.baudRate = baudRate;
    const tcflag_t c = settings.c_cflag;
    if (!pseudoTerminal) {
        switch (c & CSIZE) {
            case CS5: read.byteSize = 5; break;
            case CS6: read.byteSize = 6; break;
            case CS7: read.byteSize = 7; break;
            default: read.byteSize = 8; break;
        }
        if (!(c & PARENB)) read.parity = Parity::None;
        else if (c & CMSPAR) read.parity = (c & PARODD) ? Parity::Mark : Parity::Space;
        else read.parity = (c & PARODD) ? Parity::Odd : Parity::Even;
    }
    if (!(c & CSTOPB)) read.stopBits = StopBits::One;
    else read.stopBits = read.byteSize == 5 ? StopBits::OnePointFive : StopBits::Two;

    // One termios flag stands for both CTS output flow and RTS handshake.
    if (c & CRTSCTS) {
        if (!kept.outxCtsFlow && kept.rtsControl != RtsControl::Handshake) {
            read.outxCtsFlow = true;
            read.rtsControl = RtsControl::Handshake;
        }
    } else {
        read.outxCtsFlow = false;
        read.rtsControl = RtsControl::Enable;
    }
    read.outX = (settings.c_iflag & IXON) != 0;
    read.inX = (settings.c_iflag & IXOFF) != 0;
    read.xonChar = static_cast<char>(settings.c_cc[VSTART]);
    read.xoffChar = static_cast<char>(settings.c_cc[VSTOP]);
    return read;
}

bool keptSettings(const termios& wanted, const termios& got, bool pseudoTerminal) {
    tcflag_t control = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD | HUPCL;
    if (pseudoTerminal) control &= ~(CSIZE | PARENB);
    constexpr tcflag_t input = IXON | IXOFF | IXANY | INPCK | ICRNL | INLCR | IGNCR | ISTRIP;
    constexpr tcflag_t local = ICANON | ECHO | ISIG | IEXTEN;
    const bool sameChars = wanted.c_cc[VMIN] == got.c_cc[VMIN] && wanted.c_cc[VTIME] == got.c_cc[VTIME] &&
                           wanted.c_cc[VSTART] == got.c_cc[VSTART] && wanted.c_cc[VSTOP] == got.c_cc[VSTOP];
    return ::cfgetospeed(&wanted) == ::cfgetospeed(&got) && ::cfgetispeed(&wanted) == ::cfgetispeed(&got) &&
           (wanted.c_cflag & control) == (got.c_cflag & control) &&
           (wanted.c_iflag & input) == (got.c_iflag & input) && (wanted.c_lflag & local) == (got.c_lflag & local) &&
           (wanted.c_oflag & OPOST) == (got.c_oflag & OPOST) && sameChars;
}

}  // namespace brenmoor::platform
