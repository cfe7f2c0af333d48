#include "platform/forms/TextBox.h"

#include "platform/forms/Forms.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace forms {

TextBox::TextBox(Form &form, const QString &name, bool multiLine, Control *container)
    : Control(form, name, multiLine ? static_cast<QWidget *>(new QPlainTextEdit) : new QLineEdit, container),
      multiLine_(multiLine)
{
    if (multiLine) {
        multi_ = static_cast<QPlainTextEdit *>(widget());
        multi_->setLineWrapMode(QPlainTextEdit::NoWrap);
        // Like the system's multi-line box without scroll bars: lines from the top edge, no
        // margins of the editor's own.
        multi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        multi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        multi_->document()->setDocumentMargin(1);
        QObject::connect(multi_, &QPlainTextEdit::textChanged, this, [this] { runEvent([this] { fromWidget(); }); });
        watch(multi_->viewport());
    } else {
        line_ = static_cast<QLineEdit *>(widget());
        QObject::connect(line_, &QLineEdit::textEdited, this, [this] { runEvent([this] { fromWidget(); }); });
    }
    widget()->setFont(uiFont(fontSize_));
}

void TextBox::setText(const QString &t)
{
    if (t == text_)
        return;
    text_ = t;
    toWidget();
    if (Change)
        Change();
}

void TextBox::toWidget()
{
    updating_ = true;
    if (multi_)
        multi_->setPlainText(QString(text_).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    else
        line_->setText(text_);
    updating_ = false;
}

void TextBox::fromWidget()
{
    if (updating_)
        return;
    const QString now = multi_ ? multi_->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")) : line_->text();
    if (now == text_)
        return;
    text_ = now;
    if (Change)
        Change();
}

void TextBox::setFontSize(float points)
{
    fontSize_ = points;
    widget()->setFont(uiFont(points));
}

void TextBox::setLocked(bool locked)
{
    if (multi_)
        multi_->setReadOnly(locked);
    else
        line_->setReadOnly(locked);
}

} // namespace forms
