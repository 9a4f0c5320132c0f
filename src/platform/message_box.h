#pragma once
// Modal message boxes, as the core raises them. Every failure the tool reports goes through
// one MessageSink: the window side shows it (blocking the calling thread until dismissed),
// tests record it.

#include <string>
#include <utility>

namespace brenmoor::platform {

enum class MessageIcon { None, Warning };

// Which window owns the box: the main window, or none (a box the platform places itself).
enum class MessageOwner { MainWindow, None };

// Written as braces in the order of the fields; those left out take their defaults.
struct MessageBoxRequest {
    MessageBoxRequest() = default;
    MessageBoxRequest(std::string text, std::string caption = {}, MessageIcon icon = MessageIcon::Warning,
                      MessageOwner owner = MessageOwner::MainWindow, std::string detail = {})
        : text(std::move(text)), caption(std::move(caption)), icon(icon), owner(owner), detail(std::move(detail)) {}

    std::string text;
    std::string caption;  // empty: the platform's default caption
    MessageIcon icon = MessageIcon::Warning;
    MessageOwner owner = MessageOwner::MainWindow;
    std::string detail;  // shown below the text when not empty: why it happened

    bool operator==(const MessageBoxRequest&) const = default;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the box and returns when the operator has dismissed it. Safe from any thread.
    virtual void showMessage(const MessageBoxRequest& request) = 0;
};

}  // namespace brenmoor::platform
