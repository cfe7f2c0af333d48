// Pelto, the sample Link client.
#include "linksample/pelto/Form1.h"
#include "platform/forms/Forms.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelto"));
    forms::Forms forms;
    pelto::Form1 form(forms);
    form.onUnloaded = [](forms::Form &) { QCoreApplication::quit(); };
    form.Show();
    return app.exec();
}
