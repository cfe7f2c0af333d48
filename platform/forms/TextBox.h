// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"
#include "platform/link/link.h"

class QLineEdit;
class QPlainTextEdit;

namespace forms {

// A text box; it can hold a Link conversation as a client (LinkTopic, LinkItem, LinkMode,
// LinkExecute, LinkRequest), whose requested item becomes its text.
class TextBox : public Control, public suite_link::LinkBox
{
    Q_OBJECT
public:
    // A multi-line box shows CR LF as line breaks; Text keeps them as they were set.
    TextBox(Form &form, const QString &name, bool multiLine = false, Control *container = nullptr);
    QString Text() const { return text_; }
    // Raises Change when the text differs.
    void setText(const QString &t) override;
    float FontSize() const { return fontSize_; }
    void setFontSize(float points);
    void setLocked(bool locked);
    bool multiLine() const { return multiLine_; }
    // A multi-line box's scroll bars: 0 none, 1 horizontal, 2 vertical, 3 both.
    int ScrollBars() const { return scrollBars_; }
    void setScrollBars(int bars);

    // The selection in characters of Text (a CR LF counts two): its start (the caret when
    // nothing is selected), its length and its text. Setting SelStart empties the selection and
    // brings the caret into view; setting SelText replaces the selection.
    int SelStart() const;
    void setSelStart(int start);
    int SelLength() const;
    void setSelLength(int length);
    QString SelText() const;
    void setSelText(const QString &text);

    QString text() const override { return Text(); }

    std::function<void()> Change;

private:
    void fromWidget();
    void toWidget();
    // Positions in Text and in the widget, which shows each CR LF as one line break.
    int toWidgetPos(int textPos) const;
    int toTextPos(int widgetPos) const;
    void selectInWidget(int start, int length);
    int scrollBars_ = 0;
    QString text_;
    float fontSize_ = 9;
    bool multiLine_;
    QLineEdit *line_ = nullptr;
    QPlainTextEdit *multi_ = nullptr;
    bool updating_ = false;
};

} // namespace forms
