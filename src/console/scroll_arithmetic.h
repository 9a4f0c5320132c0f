#pragma once
// The arithmetic of the scrolling dialog frame, apart from any window: how far the content
// overhangs the client area, how far a scroll request moves it, and when the size grip
// shows. Positions, ranges and excesses count steps of 8 pixels across and 4 pixels down.

namespace brenmoor::console {

inline constexpr int kHorizontalStepPixels = 8;
inline constexpr int kVerticalStepPixels = 4;
// A horizontal page is this many steps; a vertical page is the whole vertical excess.
inline constexpr int kHorizontalPageSteps = 8;

enum class ScrollAxis { Horizontal, Vertical };

enum class ScrollRequest {
    LineBack,       // line left / line up
    LineForward,    // line right / line down
    PageBack,       // page left / page up
    PageForward,    // page right / page down
    ThumbTrack,     // the thumb is being dragged
    ThumbPosition,  // the thumb was released
    ToStart,        // left end / top
    ToEnd,          // right end / bottom
    EndScroll,
};

// (full − client) / step, truncated toward zero; negative when the client is the larger.
int scrollExcess(ScrollAxis axis, int fullExtent, int clientExtent);
// The largest scroll position: the excess, or 0 when there is none.
int scrollRange(int excess);

struct ScrollState {
    int position = 0;
    int range = 0;
    int excess = 0;
};

// The change a request asks for, before clamping. `thumb` is read only for ThumbTrack.
int requestedScrollChange(ScrollAxis axis, ScrollRequest request, const ScrollState& state, int thumb);
// The change kept inside 0 … range.
int clampScrollChange(int change, const ScrollState& state);
// What a request actually moves: the requested change, clamped.
inline int scrollChange(ScrollAxis axis, ScrollRequest request, const ScrollState& state, int thumb = 0) {
    return clampScrollChange(requestedScrollChange(axis, request, state, thumb), state);
}

// The grip shows only while all content is visible and the window is not maximised.
bool sizeGripVisible(int horizontalExcess, int verticalExcess, bool maximised);

}  // namespace brenmoor::console
