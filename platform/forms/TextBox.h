#pragma once

#include "platform/forms/Control.h"
#include "platform/link/link.h"

class QLineEdit;
class QPlainTextEdit;

namespace forms {

// A text box; it can hold a Link conversation as a client (LinkTopic, LinkItem, LinkMode,
// LinkExecute, LinkRequest), whose requested item becomes its text.
class TextBox : public Control, public link::LinkBox
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

    QString text() const override { return Text(); }

    std::function<void()> Change;

private:
    void fromWidget();
    void toWidget();
    QString text_;
    float fontSize_ = 9;
    bool multiLine_;
    QLineEdit *line_ = nullptr;
    QPlainTextEdit *multi_ = nullptr;
    bool updating_ = false;
};

} // namespace forms
