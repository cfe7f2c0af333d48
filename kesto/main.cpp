// Kesto, the drop collector.
#include "kesto/Kesto.h"
#include "platform/shell/shell.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KESTO"));
    QApplication::setQuitOnLastWindowClosed(false);

    shell::ProcessLauncher launcher;
    Kesto kesto(launcher);
    QStringList args = QApplication::arguments();
    args.removeFirst();
    forms::runEvent([&] { kesto.start(args); });
    if (kesto.ended())
        return 0;
    if (!kesto.forms().linkServer())
        std::fprintf(stderr, "kesto: cannot serve KESTO|KESTO, Tavlo cannot feed this Kesto: %s\n",
                     qPrintable(kesto.forms().linkError()));
    return app.exec();
}
