// SPDX-License-Identifier: GPL-2.0-or-later
// Pelto, the sample Link client.
#include "linksample/pelto/Form1.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Program.h"
#include "platform/startup/startup.h"

#include <QApplication>

namespace {

const startup::ProgramInfo Info = {
    "pelto", "", R"(The sample Link client. Its window has a text box and the button "DDE Link": the button
opens a Link conversation with Varvo (VARVO|VARVO), sends it two commands and shows the text
of Varvo's box Text2 in its own box. Start varvo first.

  --help      show this text and end
  --version   show the version and end

The Link sockets are in $SUITE_LINK_DIR when it is set, else in $XDG_RUNTIME_DIR/tavlo-link,
else in tavlo-link-UID in $TMPDIR or /tmp. Pelto runs on X11, through XWayland on a Wayland
desktop, unless QT_QPA_PLATFORM is set. See pelto(1).
)"};

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = startup::startWindowProgram(argc, argv, Info))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelto"));
    forms::Program program;
    forms::Forms forms;
    pelto::Form1 form(forms);
    form.onUnloaded = [](forms::Form &) { QCoreApplication::quit(); };
    form.Show();
    return app.exec();
}
