#include "app/document_window.h"

namespace brenmoor::app {

CBrenmoorDoc::CBrenmoorDoc(QString title, QObject* parent) : QObject(parent), title_(std::move(title)) {}

void CBrenmoorDoc::SetTitle(const QString& title) {
    if (title == title_) return;
    title_ = title;
    emit titleChanged(title_);
}

// An empty page: the view's background is erased to the document colour and nothing more.
CBrenmoorView::CBrenmoorView(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void CBrenmoorView::paintEvent(QPaintEvent*) {}

CChildFrame::CChildFrame(const QString& title, QWidget* parent)
    : QMdiSubWindow(parent, Qt::FramelessWindowHint),
      document_(new CBrenmoorDoc(title, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(new CBrenmoorView);
}

}  // namespace brenmoor::app
