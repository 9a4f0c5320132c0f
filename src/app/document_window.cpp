#include "app/document_window.h"

namespace brenmoor::app {

CBrenmoorDoc::CBrenmoorDoc(QString title, QObject* parent) : QObject(parent), title_(std::move(title)) {}

void CBrenmoorDoc::SetTitle(const QString& title) {
    if (title == title_) return;
    title_ = title;
    emit titleChanged(title_);
}

CBrenmoorView::CBrenmoorView(QWidget* parent) : QWidget(parent) {}

void CBrenmoorView::paintEvent(QPaintEvent*) {}

CChildFrame::CChildFrame(const QString& title, QWidget* parent)
    : QMdiSubWindow(parent, Qt::FramelessWindowHint),
      document_(new CBrenmoorDoc(title, this)),
      view_(new CBrenmoorView) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view_);
}

}  // namespace brenmoor::app
