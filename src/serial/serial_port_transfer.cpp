#include <algorithm>

#include "serial/serial_port.h"

namespace brenmoor::serial {

bool CSerialPort::usable() const { return handle_ && !handle_->isClosed(); }

void CSerialPort::reportWriteFailure(const char* text) {
    messages_.showMessage({text, "Write Error", platform::MessageIcon::None, platform::MessageOwner::MainWindow});
}

void CSerialPort::reportReadFailure() {
    messages_.showMessage({"Unable to Read to the comm port", "Read Error", platform::MessageIcon::None,
                           platform::MessageOwner::MainWindow});
}

// The device's bounded write stands in for the overlapped write and its wait: it returns
// within the transfer limit and leaves nothing pending, so no event is needed.
bool CSerialPort::Write(const std::uint8_t* buffer, std::uint32_t count) {
    if (!usable()) {
        reportWriteFailure("Unable to Write to the comm port");
        return false;
    }
    if (count == 0) return true;

    std::size_t written = 0;
    switch (handle_->write(buffer, count, transferLimit_, written)) {
    case platform::IoStatus::Completed:
        return true;
    case platform::IoStatus::TimedOut:
        reportWriteFailure("Write Timeout");
        return false;
    case platform::IoStatus::Failed:
        break;
    }
    reportWriteFailure("Unable to Write to the comm port");
    return false;
}

bool CSerialPort::Read(std::uint8_t* buffer, std::uint32_t& countOut) {
    // A device that cannot report its queue has failed like a failed read.
    std::uint32_t waiting = 0;
    if (!usable() || !handle_->clearErrors(waiting)) {
        reportReadFailure();
        return false;
    }

    const std::uint32_t count = std::min(waiting, kReadLimit);
    if (count == 0) return false;

    std::size_t got = 0;
    if (handle_->read(buffer, count, transferLimit_, got) != platform::IoStatus::Completed) {
        reportReadFailure();
        return false;
    }
    countOut = static_cast<std::uint32_t>(got);
    return true;
}

}  // namespace brenmoor::serial
