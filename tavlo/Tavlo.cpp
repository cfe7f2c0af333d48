// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/Tavlo.h"

#include "gvlink/gvlink.h"

#include "platform/printer/printer.h"
#include "tavlo/Form1.h"
#include "tavlo/Form2.h"
#include "tavlo/FormPrn.h"
#include "tavlo/modlessMsgBox.h"

namespace tavlo {

Tavlo::Tavlo(sysinfo::SystemInfo &sys, printer::Printer &printer, shell::Launcher &launcher)
    : sys_(sys),
      printer_(printer),
      launcher_(launcher),
      module_(*this),
      form1_(forms_, [this] { return new Form1(*this); }),
      form2_(forms_, [this] { return new Form2(*this); }),
      msgBox_(forms_, [this] { return new modlessMsgBox(*this); }),
      formPrn_(forms_, [this] { return new FormPrn(*this); })
{
    // Closing the last window on the screen ends Tavlo: a hidden board or message window could
    // never be shown again.
    forms_.setEndWhenNothingShows(true);
    // The waits for GV let events run as every other long operation does.
    gvlink::setEventPump(forms::DoEvents);
}

Tavlo::~Tavlo() = default;

Form1 &Tavlo::form1() { return *form1_; }
Form2 &Tavlo::form2() { return *form2_; }

Form2 *Tavlo::newForm2()
{
    auto *f = new Form2(*this);
    forms_.adopt(f);
    return f;
}

modlessMsgBox &Tavlo::msgBox()
{
    modlessMsgBox &box = *msgBox_;
    box.Load();
    return box;
}

FormPrn &Tavlo::formPrn()
{
    FormPrn &prn = *formPrn_;
    prn.Load();
    return prn;
}

void Tavlo::showMessage(const QString &text)
{
    modlessMsgBox &box = msgBox();
    box.Text1.setText(text);
    box.Show();
}

void Tavlo::reportPrint(bool ok)
{
    if (!ok)
        showMessage(QString::fromUtf8("印刷できませんでした。") + QStringLiteral("\r\n") + printer_.errorString());
    else if (!printer_.outputFile().isEmpty())
        showMessage(printer_.outputFile() + QStringLiteral("\r\n") +
                    QString::fromUtf8("プリンタが見つからないため、PDFファイルに印刷しました。"));
}

void Tavlo::End() { forms::End(); }

} // namespace tavlo
