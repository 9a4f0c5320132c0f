// Brenmoor: the test and configuration tool for the 8-port UART PCI card.

#include <QApplication>
#include <cstdio>

#include "app/brenmoor_app.h"
#include "app/command_line.h"

int main(int argc, char* argv[]) {
    // Help and the version are answered on the terminal, without opening a display.
    if (brenmoor::app::asksForHelpOrVersion(argc, argv)) {
        QCoreApplication text(argc, argv);
        const std::string error = brenmoor::app::answerHelpOrVersion(QCoreApplication::arguments());
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    QApplication qt(argc, argv);
    brenmoor::app::CBrenmoorApp app(QApplication::arguments());
    return app.Run();
}
