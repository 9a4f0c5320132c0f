#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "res/command_ids.h"
#include "res/menus.h"

namespace brenmoor::app {
namespace {

using Draw = void (*)(QPainter&);

// A nine-pin serial connector: the port's settings.
void drawConnector(QPainter& p) {
    QPainterPath shell;
    shell.moveTo(1, 3);
    shell.lineTo(13, 3);
    shell.lineTo(11, 10);
    shell.lineTo(3, 10);
    shell.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(170, 170, 200));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int i = 0; i < 5; ++i) p.drawRect(3 + 2 * i, 5, 1, 1);
    for (int i = 0; i < 4; ++i) p.drawRect(4 + 2 * i, 8, 1, 1);
}

void drawStart(QPainter& p) {
    p.setPen(QPen(QColor(0, 90, 0), 1));
    p.setBrush(QColor(0, 170, 0));
    const QPointF points[] = {{3, 1}, {12, 7}, {3, 13}};
    p.drawPolygon(points, 3);
}

void drawStop(QPainter& p) {
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(210, 0, 0));
    p.drawRect(3, 2, 9, 9);
}

// An open folder: loading a configuration.
void drawLoad(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(230, 200, 80));
    p.drawRect(1, 4, 11, 8);
    p.drawRect(1, 2, 4, 2);
    p.setBrush(QColor(250, 230, 130));
    const QPointF flap[] = {{3, 7}, {14, 7}, {12, 12}, {1, 12}};
    p.drawPolygon(flap, 4);
}

// A diskette: saving a configuration.
void drawSave(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(40, 60, 160));
    p.drawRect(1, 1, 12, 12);
    p.setBrush(Qt::white);
    p.drawRect(3, 1, 8, 5);
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(4, 9, 6, 4);
}

void drawAbout(QPainter& p) {
    p.setPen(QPen(QColor(0, 0, 140), 1));
    p.setBrush(QColor(255, 255, 210));
    p.drawEllipse(0, 0, 13, 13);
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

Draw drawingFor(int commandId) {
    switch (commandId) {
    case res::kCmdPortSettings: return drawConnector;
    case res::kCmdTestStart: return drawStart;
    case res::kCmdTestStop: return drawStop;
    case res::kCmdConfigLoad: return drawLoad;
    case res::kCmdConfigSave: return drawSave;
    case res::kCmdAbout: return drawAbout;
    default: return nullptr;
    }
}

}  // namespace

QIcon toolbarIcon(int commandId) {
    const Draw draw = drawingFor(commandId);
    if (draw == nullptr) return {};
    QPixmap image(res::kToolbarImageWidth, res::kToolbarImageHeight);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        draw(p);
    }
    QIcon icon(image);
    return icon;
}

}  // namespace brenmoor::app
