#include "app/thread_done_notices.h"

#include "app/main_frame.h"

namespace brenmoor::app {

ThreadDoneNotices::ThreadDoneNotices(CMainFrame& frame) : frame_(frame) {}

void ThreadDoneNotices::postThreadDone(int /*port*/) {
    CMainFrame* frame = &frame_;
    QMetaObject::invokeMethod(frame, [frame] { frame->OnThreadDone(); }, Qt::QueuedConnection);
}

void ThreadDoneNotices::updateWindow() {
    if (repaintQueued_.exchange(true)) return;
    CMainFrame* frame = &frame_;
    QMetaObject::invokeMethod(
        frame,
        [this, frame] {
            repaintQueued_ = false;
            frame->update();
        },
        Qt::QueuedConnection);
}

}  // namespace brenmoor::app
