#pragma once
// One of a panel's two traffic boxes, showing the console model's text for it. New text is
// added at the end and the view follows the end, whatever the operator had selected or
// scrolled to; a box the model emptied is emptied here too.

#include <string>

namespace brenmoor::res {
class ReadOnlyTextView;
}

namespace brenmoor::console {

class TrafficBox {
public:
    explicit TrafficBox(res::ReadOnlyTextView* view) : view_(view) {}

    // Brings the box up to `text` (single-byte characters, CR LF line breaks).
    void show(const std::string& text);

    res::ReadOnlyTextView* view() const { return view_; }

private:
    res::ReadOnlyTextView* view_;
    // The part of the model's text the box shows. A CR at the end is held back until the
    // next text tells whether it starts a CR LF pair.
    std::string shown_;
};

}  // namespace brenmoor::console
