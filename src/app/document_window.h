#pragma once
// The document and its window: empty shells that exist so that the frame shows the
// application's menu. The document carries only its title; the view draws nothing.

#include <QMdiSubWindow>
#include <QObject>
#include <QString>
#include <QWidget>

namespace brenmoor::app {

class CBrenmoorDoc : public QObject {
    Q_OBJECT
public:
    explicit CBrenmoorDoc(QString title, QObject* parent = nullptr);

    QString title() const { return title_; }
    void SetTitle(const QString& title);

signals:
    void titleChanged(const QString& title);

private:
    QString title_;
};

class CBrenmoorView : public QWidget {
    Q_OBJECT
public:
    explicit CBrenmoorView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The document window: maximised, without caption, border or system menu, so it covers
// the frame's client area without decoration. It owns its document and view.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(const QString& title, QWidget* parent = nullptr);

    CBrenmoorDoc* document() const { return document_; }

private:
    CBrenmoorDoc* document_;
};

}  // namespace brenmoor::app
