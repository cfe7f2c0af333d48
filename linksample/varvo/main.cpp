// SPDX-License-Identifier: GPL-2.0-or-later
// Varvo, the sample Link server.
#include "linksample/varvo/Form1.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Program.h"
#include "platform/startup/startup.h"

#include <QApplication>

#include <cstdio>

namespace {

const startup::ProgramInfo Info = {
    "varvo", "", R"(The sample Link server. It serves VARVO|VARVO: every command a client executes is written
into its window, and a request for an item is answered with the text of the box of that
name (Pelto asks for Text2). A second Varvo ends with status 1.

  --help      show this text and end
  --version   show the version and end

The Link sockets are in $SUITE_LINK_DIR when it is set, else in $XDG_RUNTIME_DIR/tavlo-link,
else in tavlo-link-UID in $TMPDIR or /tmp. Varvo runs on X11, through XWayland on a Wayland
desktop, unless QT_QPA_PLATFORM is set. See varvo(1).
)"};

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = startup::startWindowProgram(argc, argv, Info))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARVO"));
    forms::Program program;
    forms::Forms forms;
    varvo::Form1 form(forms);
    form.End = [] { QCoreApplication::exit(1); };
    form.Load();
    if (!forms.linkServer()) {
        std::fprintf(stderr, "varvo: cannot serve VARVO|VARVO: %s\n", qPrintable(forms.linkError()));
        return 1;
    }
    form.onUnloaded = [](forms::Form &) { QCoreApplication::quit(); };
    form.Show();
    return app.exec();
}
