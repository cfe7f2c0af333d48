// SPDX-License-Identifier: GPL-2.0-or-later
// Kesto, the drop collector.
#include "kesto/Kesto.h"
#include "platform/forms/Program.h"
#include "platform/shell/shell.h"
#include "platform/startup/startup.h"

#include <QApplication>

#include <cstdio>

namespace {

const startup::ProgramInfo Info = {
    "kesto", "[/gv=PATH] [/photoed=PATH]",
    R"(The drop collector: keeps one list of file names, filled by drops of files, folders and
list files, by pasted text, by its file browser and by Link executes on KESTO|KESTO, and
hands selections on: dragged with the right button onto the right-hand area they overwrite
the list file dropped there, onto the left-hand area GV converts each picture into a bitmap
in the folder Convert below the browser's folder. At most 32000 names fit; what would pass
that is refused and the list stays.

  /gv=PATH        the image viewer GV that converts pictures (the suite's stand-in: tavlo-gv)
  /photoed=PATH   accepted and kept; Kesto makes no use of it
  --help          show this text and end (only as the first argument)
  --version       show the version and end (only as the first argument)

Option names count in any letter case, and a value may stand in double quotes. An argument
that names an existing file or folder is a name, never an option.

Kesto runs on X11, through XWayland on a Wayland desktop, unless QT_QPA_PLATFORM is set.
See kesto(1).
)"};

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = startup::startWindowProgram(argc, argv, Info))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KESTO"));
    QApplication::setQuitOnLastWindowClosed(false);
    forms::Program program;

    shell::ProcessLauncher launcher;
    kesto::Kesto kesto(launcher);
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
