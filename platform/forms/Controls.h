// The standard controls the windows are built from: text box, label, button, combo box,
// picture box, image, scroll bars, line and timer.
#pragma once

#include "platform/forms/Control.h"
#include "platform/picture/picture.h"

#include <QStringList>

#include "platform/link/link.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QLabel;
class QComboBox;
class QScrollBar;
class QTimer;

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

class Label : public Control
{
    Q_OBJECT
public:
    Label(Form &form, const QString &name, Control *container = nullptr);
    QString Caption() const { return caption_; }
    void setCaption(const QString &c);
    void setAlignment(Qt::Alignment a);
    void setWordWrap(bool on);

private:
    QString caption_;
    QLabel *label_;
};

class CommandButton : public Control
{
    Q_OBJECT
public:
    CommandButton(Form &form, const QString &name, Control *container = nullptr);
    QString Caption() const { return caption_; }
    void setCaption(const QString &c);

protected:
    bool clickFromMouse() const override { return false; }

private:
    QString caption_;
    QPushButton *button_;
};

// An editable combo box with a drop-down list.
class ComboBox : public Control
{
    Q_OBJECT
public:
    ComboBox(Form &form, const QString &name, Control *container = nullptr);
    QString Text() const;
    void setText(const QString &t);
    void AddItem(const QString &item);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    QString List(int index) const;
    // The entry the text shows, -1 when the text is no entry's; setting it raises Click.
    int ListIndex() const;
    void setListIndex(int index);

    std::function<void()> Change;

private:
    QComboBox *combo_;
    int chosen_ = -1;
};

// A picture box: shows its picture at the top left at the picture's own size, sizes itself to
// it when AutoSize is on, and can hold other controls.
class PictureBox : public Control
{
    Q_OBJECT
public:
    PictureBox(Form &form, const QString &name, Control *container = nullptr);
    const picture::Picture &Picture() const { return picture_; }
    void setPicture(const picture::Picture &p);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // 0 none, 1 fixed single (a 2-pixel sunken border on each side).
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int style);
    float borderTwips() const { return borderStyle_ ? 30.0f : 0.0f; }
    float ScaleWidth() const { return width_ - 2 * borderTwips(); }
    float ScaleHeight() const { return height_ - 2 * borderTwips(); }
    QWidget *inner() const override;
    void Refresh();

private:
    void sizeToPicture();
    picture::Picture picture_;
    bool autoSize_ = false;
    int borderStyle_ = 1;
};

// An image control: a picture without a border, stretched to the control when Stretch is on.
class Image : public Control
{
    Q_OBJECT
public:
    Image(Form &form, const QString &name, Control *container = nullptr, int index = -1);
    const picture::Picture &Picture() const { return picture_; }
    void setPicture(const picture::Picture &p);
    bool Stretch() const { return stretch_; }
    void setStretch(bool on);

private:
    picture::Picture picture_;
    bool stretch_ = false;
};

// Horizontal and vertical scroll bars with the run time's 16-bit range and steps.
class ScrollBar : public Control
{
    Q_OBJECT
public:
    ScrollBar(Form &form, const QString &name, Qt::Orientation orientation, Control *container = nullptr);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const;
    int SmallChange() const { return small_; }
    int LargeChange() const { return large_; }
    // Values outside -32768..32767, a value outside Min..Max and a step below 1 raise 380.
    void setMin(int v);
    void setMax(int v);
    void setValue(int v);
    void setSmallChange(int v);
    void setLargeChange(int v);

    std::function<void()> Change;
    std::function<void()> Scroll; // while the thumb is dragged

private:
    void applyRange();
    QScrollBar *bar_;
    int min_ = 0, max_ = 32767, small_ = 1, large_ = 1;
    bool settingValue_ = false;
};

// A line drawn on the form from (X1, Y1) to (X2, Y2).
class Line : public Control
{
    Q_OBJECT
public:
    Line(Form &form, const QString &name, float x1, float y1, float x2, float y2, Control *container = nullptr);
    float X1() const { return x1_; }
    float Y1() const { return y1_; }
    float X2() const { return x2_; }
    float Y2() const { return y2_; }
    void setX1(float v);
    void setY1(float v);
    void setX2(float v);
    void setY2(float v);

private:
    void placeWidget();
    float x1_, y1_, x2_, y2_;
};

class Timer : public QObject
{
    Q_OBJECT
public:
    Timer(Form &form, const QString &name);
    QString Name() const { return objectName(); }
    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);

    std::function<void()> Tick; // the Timer event

private:
    void apply();
    QTimer *timer_;
    int interval_ = 0;
    bool enabled_ = true;
};

} // namespace forms
