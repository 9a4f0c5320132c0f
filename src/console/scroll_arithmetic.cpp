#include "console/scroll_arithmetic.h"

#include <algorithm>

namespace brenmoor::console {

int scrollExcess(ScrollAxis axis, int fullExtent, int clientExtent) {
    const int step = axis == ScrollAxis::Horizontal ? kHorizontalStepPixels : kVerticalStepPixels;
    return (fullExtent - clientExtent) / step;  // C++ division truncates toward zero
}

int scrollRange(int excess) { return std::max(excess, 0); }

int requestedScrollChange(ScrollAxis axis, ScrollRequest request, const ScrollState& state, int thumb) {
    const int page = axis == ScrollAxis::Horizontal ? kHorizontalPageSteps
                                                    : (state.excess < 1 ? 1 : state.excess);
    switch (request) {
    case ScrollRequest::LineBack: return -1;
    case ScrollRequest::LineForward: return 1;
    case ScrollRequest::PageBack: return -page;
    case ScrollRequest::PageForward: return page;
    case ScrollRequest::ThumbTrack: return thumb - state.position;
    case ScrollRequest::ToStart: return -state.position;
    case ScrollRequest::ToEnd: return state.range - state.position;
    case ScrollRequest::ThumbPosition:
    case ScrollRequest::EndScroll: return 0;
    }
    return 0;
}

int clampScrollChange(int change, const ScrollState& state) {
    return std::max(-state.position, std::min(change, state.range - state.position));
}

bool sizeGripVisible(int horizontalExcess, int verticalExcess, bool maximised) {
    return horizontalExcess <= 0 && verticalExcess <= 0 && !maximised;
}

}  // namespace brenmoor::console
