// SPDX-License-Identifier: GPL-2.0-or-later
// gv: a stand-in for the outside image viewer GV. Started as "gv /DDE" it serves application
// "GV", topic "Display", and carries out the GV command texts it receives.
#include "platform/link/link.h"
#include "platform/startup/startup.h"
#include "tools/gv/Viewer.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

namespace {

const startup::ProgramInfo Info = {
    "gv", "[/DDE] [--log FILE] [--delay MS] [--block] [FILE...]",
    R"(A stand-in for the image viewer GV. With /DDE it serves the Link topic "GV|Display" and carries
out the commands it is sent: FileOpen (path bare or quoted), ZoomRate(n), MaxDisp(ON,ON,colour),
DispMsg, ShowGV, AutoOpenDocument, IconGV (ON or OFF), ClipCopyViewImage(), Quantize(ON,n,m,ON),
FileSaveEx("path",ON,ON) and ExitGV(), one or several bracketed commands per execute or one bare
command. The item "DIBRequest" answers "OK" once the last execute's commands have run, "NG" when
one of them failed or the execute was not understood (it is then refused), and an empty text
while commands are waiting or running. A FileOpen that fails leaves no picture shown, so that
ClipCopyViewImage and FileSaveEx answer NG until a FileOpen succeeds. FILEs are opened as by
FileOpen.

options:
  /DDE          serve GV|Display (also -DDE or --dde); a second GV exits with status 1
  --log FILE    append every execute received ("execute: TEXT"), every refusal ("refused:
                REASON") and every command's outcome ("done: COMMAND -> OK", "failed: COMMAND:
                REASON") to FILE, one line each
  --delay MS    let every command wait MS milliseconds before it runs (DIBRequest answers an
                empty text meanwhile)
  --block       carry out the commands inside the execute, as a viewer that handles one thing
                at a time: neither that execute nor any request is answered until they are done
  -h, --help    this text
  --version     the version

The Link socket folder is $SUITE_LINK_DIR when that is set. The suite's package installs this
program as tavlo-gv. See tavlo-gv(1).
)"};

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = startup::startWindowProgram(argc, argv, Info))
        return *answered;
    QApplication app(argc, argv);
    gv::Options options;
    bool dde = false;
    QStringList files;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const QString lower = a.toLower();
        if (lower == QLatin1String("/dde") || lower == QLatin1String("-dde") || lower == QLatin1String("--dde")) {
            dde = true;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help") || a == QLatin1String("/?")) {
            return startup::writeHelp(stdout, argv[0], Info) ? 0 : 1;
        } else if (a == QLatin1String("--version")) {
            return startup::writeVersion(stdout, argv[0], Info) ? 0 : 1;
        } else if (a == QLatin1String("--log") && i + 1 < args.size()) {
            options.logPath = args[++i];
        } else if (a == QLatin1String("--delay") && i + 1 < args.size()) {
            bool ok = false;
            options.delayMs = args[++i].toInt(&ok);
            if (!ok || options.delayMs < 0) {
                std::fprintf(stderr, "gv: --delay needs a number of milliseconds, not %s\n", qPrintable(args[i]));
                return 2;
            }
        } else if (a == QLatin1String("--block")) {
            options.block = true;
        } else if (a.startsWith(QLatin1String("--")) || a == QLatin1String("--log") || a == QLatin1String("--delay")) {
            std::fprintf(stderr, "gv: unknown option or missing value: %s (see gv --help)\n", qPrintable(a));
            return 2;
        } else {
            files << a;
        }
    }

    gv::Viewer viewer(options);
    suite_link::LinkServer server(QStringLiteral("GV"));
    if (dde) {
        server.addTopic(QStringLiteral("Display"), &viewer);
        if (!server.listen()) {
            std::fprintf(stderr, "gv: %s\n", qPrintable(server.errorString()));
            return 1;
        }
    }
    viewer.setAttribute(Qt::WA_ShowWithoutActivating);
    viewer.show();
    viewer.openFiles(files);
    const int status = QApplication::exec();
    server.removeTopic(QStringLiteral("Display"));
    return status;
}
