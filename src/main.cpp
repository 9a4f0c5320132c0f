// Brenmoor: the test and configuration tool for the 8-port UART PCI card.

#include <QApplication>

#include "app/brenmoor_app.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    brenmoor::app::CBrenmoorApp app(QApplication::arguments());
    return app.Run();
}
