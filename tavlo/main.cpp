// SPDX-License-Identifier: GPL-2.0-or-later
// Tavlo, the picture board.
#include "platform/forms/Program.h"
#include "platform/printer/printer.h"
#include "platform/shell/shell.h"
#include "platform/startup/startup.h"
#include "platform/sysinfo/sysinfo.h"
#include "tavlo/Tavlo.h"

#include <QApplication>

namespace {

const startup::ProgramInfo Info = {
    "tavlo", "[/gv=PATH] [/dr=PATH] [PICTURE | LIST.lst]...",
    R"(The picture board: shows the pictures of a list one at a time, at their own size, and
copies them onto icon boards. Pictures: bitmap (.bmp, also run-length), JPEG, Windows and
enhanced metafile (.wmf, .emf), icon (.ico) and cursor (.cur). A list file (.lst) is text in
code page 932 naming one picture a line; a line that begins with ';' is a comment.

  /gv=PATH    the image viewer GV that icon boards drive (the suite's stand-in: tavlo-gv)
  /dr=PATH    Kesto, the drop collector, which the File menu starts
  --help      show this text and end (only as the first argument)
  --version   show the version and end (only as the first argument)

Option names count by their first three letters in any letter case, and a value may stand
in double quotes. An argument that names an existing file or folder is always a name, so
absolute paths work although they begin with '/'.

Tavlo runs on X11, through XWayland on a Wayland desktop, unless QT_QPA_PLATFORM is set.
See tavlo(1).
)"};

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = startup::startWindowProgram(argc, argv, Info))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlo"));
    QApplication::setQuitOnLastWindowClosed(false);
    forms::Program program;

    sysinfo::ScreenInfo screen;
    printer::SystemPrinter printer(printer::SystemPrinter::defaultPdfFolder());
    shell::ProcessLauncher launcher;
    tavlo::Tavlo tavlo(screen, printer, launcher);

    QStringList args = QApplication::arguments();
    args.removeFirst();
    tavlo.start(args);
    if (tavlo.ended())
        return 0;
    return app.exec();
}
