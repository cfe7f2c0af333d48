// Tavlo, the picture board.
#include "platform/printer/printer.h"
#include "platform/shell/shell.h"
#include "platform/sysinfo/sysinfo.h"
#include "tavlo/Tavlo.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlo"));
    QApplication::setQuitOnLastWindowClosed(false);

    sysinfo::ScreenInfo screen;
    printer::SystemPrinter printer(printer::SystemPrinter::defaultPdfFolder());
    shell::ProcessLauncher launcher;
    Tavlo tavlo(screen, printer, launcher);

    QStringList args = QApplication::arguments();
    args.removeFirst();
    tavlo.start(args);
    if (tavlo.ended())
        return 0;
    return app.exec();
}
