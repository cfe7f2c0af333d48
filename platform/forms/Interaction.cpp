// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Interaction.h"

#include "platform/forms/ManualDrag.h"
#include "platform/forms/Program.h"

#include <QApplication>
#include <QMessageBox>

namespace forms {

namespace {

Interaction &interaction() { return Program::current().interaction(); }

} // namespace

Interaction::Interaction() = default;

Interaction::~Interaction()
{
    if (manualDrag_ && manualDrag_->source)
        manualDrag_->end();
}

ManualDrag &Interaction::manualDrag()
{
    if (!manualDrag_)
        manualDrag_ = std::make_unique<ManualDrag>();
    return *manualDrag_;
}

void setMsgBoxHook(MsgBoxHook hook) { interaction().setMsgBoxHook(std::move(hook)); }

int MsgBox(const QString &prompt, int buttons, const QString &title)
{
    if (const MsgBoxHook hook = interaction().msgBoxHook()) // a copy: the box may set another
        return hook(prompt, buttons, title);
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QCoreApplication::applicationName() : title,
                    QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")), QMessageBox::Ok);
    box.exec();
    return 1;
}

void Beep()
{
    interaction().beeped();
    QApplication::beep();
}

int beepCount() { return interaction().beeps(); }

} // namespace forms
