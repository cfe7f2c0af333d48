// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/TextBox.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <algorithm>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
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
    const QString now =
        multi_ ? multi_->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")) : line_->text();
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

void TextBox::setScrollBars(int bars)
{
    if (bars < 0 || bars > 3)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    scrollBars_ = bars;
    if (!multi_)
        return;
    multi_->setHorizontalScrollBarPolicy(bars & 1 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    multi_->setVerticalScrollBarPolicy(bars & 2 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // Without a horizontal bar the lines wrap at the box's edge, as the system's box does.
    multi_->setLineWrapMode(bars & 1 || bars == 0 ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

int TextBox::toWidgetPos(int textPos) const
{
    if (!multi_)
        return textPos;
    textPos = std::clamp(textPos, 0, int(text_.size()));
    int w = 0;
    for (int i = 0; i < textPos; ++i) {
        if (text_.at(i) == QLatin1Char('\r') && i + 1 < text_.size() && text_.at(i + 1) == QLatin1Char('\n')) {
            if (i + 1 == textPos)
                break; // between CR and LF: before the line break
            ++i;
        }
        ++w;
    }
    return w;
}

int TextBox::toTextPos(int widgetPos) const
{
    if (!multi_)
        return widgetPos;
    int t = 0;
    for (int w = 0; w < widgetPos && t < text_.size(); ++w) {
        if (text_.at(t) == QLatin1Char('\r') && t + 1 < text_.size() && text_.at(t + 1) == QLatin1Char('\n'))
            ++t;
        ++t;
    }
    return t;
}

int TextBox::SelStart() const
{
    if (multi_)
        return toTextPos(multi_->textCursor().selectionStart());
    return line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
}

int TextBox::SelLength() const
{
    if (multi_) {
        const QTextCursor c = multi_->textCursor();
        return toTextPos(c.selectionEnd()) - toTextPos(c.selectionStart());
    }
    return line_->hasSelectedText() ? int(line_->selectedText().size()) : 0;
}

QString TextBox::SelText() const { return text_.mid(SelStart(), SelLength()); }

void TextBox::selectInWidget(int start, int length)
{
    start = std::clamp(start, 0, int(text_.size()));
    length = std::clamp(length, 0, int(text_.size()) - start);
    if (multi_) {
        QTextCursor c = multi_->textCursor();
        c.setPosition(toWidgetPos(start));
        if (length > 0)
            c.setPosition(toWidgetPos(start + length), QTextCursor::KeepAnchor);
        multi_->setTextCursor(c);
        multi_->ensureCursorVisible();
    } else if (length > 0) {
        line_->setSelection(start, length);
    } else {
        line_->setCursorPosition(start);
    }
}

void TextBox::setSelStart(int start)
{
    if (start < 0)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    selectInWidget(start, 0);
}

void TextBox::setSelLength(int length)
{
    if (length < 0)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    selectInWidget(SelStart(), length);
}

void TextBox::setSelText(const QString &text)
{
    const int start = SelStart();
    const int length = SelLength();
    setText(text_.left(start) + text + text_.mid(start + length));
    selectInWidget(start + int(text.size()), 0);
}

} // namespace forms
