// Varvo, the sample Link server.
#include "linksample/varvo/Form1.h"
#include "platform/forms/Forms.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARVO"));
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
