#include "platform/forms/Controls.h"

#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/vb/vb.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

namespace forms {

static QFont controlFont(float points)
{
    QFont f(uiFontFamily());
    f.setPointSizeF(points);
    return f;
}

// ---- TextBox ----

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
    widget()->setFont(controlFont(fontSize_));
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
    widget()->setFont(controlFont(points));
}

void TextBox::setLocked(bool locked)
{
    if (multi_)
        multi_->setReadOnly(locked);
    else
        line_->setReadOnly(locked);
}

// ---- Label ----

Label::Label(Form &form, const QString &name, Control *container)
    : Control(form, name, new QLabel, container)
{
    label_ = static_cast<QLabel *>(widget());
    label_->setFont(controlFont(9));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Label::setCaption(const QString &c)
{
    caption_ = c;
    label_->setText(c);
}

void Label::setAlignment(Qt::Alignment a) { label_->setAlignment(a); }
void Label::setWordWrap(bool on) { label_->setWordWrap(on); }

// ---- CommandButton ----

CommandButton::CommandButton(Form &form, const QString &name, Control *container)
    : Control(form, name, new QPushButton, container)
{
    button_ = static_cast<QPushButton *>(widget());
    button_->setFont(controlFont(9));
    button_->setAutoDefault(false);
    // The windows were laid out for buttons that give their caption the whole face.
    button_->setStyleSheet(QStringLiteral("QPushButton { padding: 0px 1px; }"));
    QObject::connect(button_, &QPushButton::clicked, this, [this] {
        if (Click)
            runEvent(Click);
    });
}

void CommandButton::setCaption(const QString &c)
{
    caption_ = c;
    button_->setText(c);
}

// ---- ComboBox ----

ComboBox::ComboBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new QComboBox, container)
{
    combo_ = static_cast<QComboBox *>(widget());
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setFont(controlFont(9));
    watch(combo_->lineEdit());
    QObject::connect(combo_, &QComboBox::activated, this, [this](int index) {
        chosen_ = index;
        if (Click)
            runEvent(Click);
    });
    QObject::connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this] {
        chosen_ = -1;
        if (Change)
            runEvent(Change);
    });
}

QString ComboBox::Text() const { return combo_->currentText(); }

void ComboBox::setText(const QString &t)
{
    if (t == Text())
        return;
    combo_->setEditText(t);
    chosen_ = -1;
    if (Change)
        Change();
}

void ComboBox::AddItem(const QString &item)
{
    // Adding to an empty editable box would make the new entry its text; the text stays.
    const QString keep = Text();
    combo_->addItem(item);
    combo_->setEditText(keep);
}

void ComboBox::RemoveItem(int index)
{
    if (index < 0 || index >= combo_->count())
        vb::raiseError(vb::ErrInvalidCall);
    const QString keep = Text();
    combo_->removeItem(index);
    combo_->setEditText(keep);
    chosen_ = -1;
}

void ComboBox::Clear()
{
    const QString keep = Text();
    combo_->clear();
    combo_->setEditText(keep);
    chosen_ = -1;
}

int ComboBox::ListCount() const { return combo_->count(); }

QString ComboBox::List(int index) const
{
    return index >= 0 && index < combo_->count() ? combo_->itemText(index) : QString();
}

int ComboBox::ListIndex() const
{
    if (chosen_ >= 0 && chosen_ < combo_->count() && combo_->itemText(chosen_) == Text())
        return chosen_;
    return -1;
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= combo_->count())
        vb::raiseError(vb::ErrInvalidPropertyValue);
    chosen_ = index;
    if (index >= 0)
        combo_->setEditText(combo_->itemText(index));
    if (Click)
        Click();
}

// ---- PictureBox ----

namespace {

class PictureWidget : public QFrame
{
public:
    explicit PictureWidget(const picture::Picture *pic) : pic_(pic)
    {
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QFrame::paintEvent(e);
        if (pic_->isEmpty())
            return;
        QPainter p(this);
        const QRect inside = contentsRect();
        p.setClipRect(inside);
        const QSize natural = pic_->pixelSize();
        pic_->draw(p, QRectF(inside.topLeft(), QSizeF(natural)));
    }

private:
    const picture::Picture *pic_;
};

class ImageWidget : public QWidget
{
public:
    ImageWidget(const picture::Picture *pic, const bool *stretch) : pic_(pic), stretch_(stretch) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (pic_->isEmpty())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (*stretch_)
            pic_->draw(p, QRectF(rect()));
        else
            pic_->draw(p, QRectF(QPointF(0, 0), QSizeF(pic_->pixelSize())));
    }

private:
    const picture::Picture *pic_;
    const bool *stretch_;
};

} // namespace

PictureBox::PictureBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new PictureWidget(&picture_), container)
{
    setBorderStyle(1);
}

QWidget *PictureBox::inner() const { return widget(); }

void PictureBox::setBorderStyle(int style)
{
    borderStyle_ = style;
    auto *f = static_cast<QFrame *>(widget());
    f->setFrameStyle(style ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    f->setLineWidth(style ? 2 : 0);
    sizeToPicture();
}

void PictureBox::setPicture(const picture::Picture &p)
{
    picture_ = p;
    sizeToPicture();
    widget()->update();
}

void PictureBox::setAutoSize(bool on)
{
    autoSize_ = on;
    sizeToPicture();
}

void PictureBox::sizeToPicture()
{
    // An empty picture leaves the box as it is.
    if (!autoSize_ || picture_.isEmpty())
        return;
    const QSizeF t = picture_.twipsSize();
    width_ = float(t.width()) + 2 * borderTwips();
    height_ = float(t.height()) + 2 * borderTwips();
    applyGeometry();
}

void PictureBox::Refresh() { widget()->repaint(); }

// ---- Image ----

Image::Image(Form &form, const QString &name, Control *container, int index)
    : Control(form, name, new ImageWidget(&picture_, &stretch_), container, index)
{
}

void Image::setPicture(const picture::Picture &p)
{
    picture_ = p;
    if (!stretch_ && !p.isEmpty()) {
        const QSizeF t = p.twipsSize();
        width_ = float(t.width());
        height_ = float(t.height());
        applyGeometry();
    }
    widget()->update();
}

void Image::setStretch(bool on)
{
    stretch_ = on;
    widget()->update();
}

// ---- ScrollBar ----

static void checkRange(int v)
{
    if (v < -32768 || v > 32767)
        vb::raiseError(vb::ErrInvalidPropertyValue);
}

ScrollBar::ScrollBar(Form &form, const QString &name, Qt::Orientation orientation, Control *container)
    : Control(form, name, new QScrollBar(orientation), container)
{
    bar_ = static_cast<QScrollBar *>(widget());
    bar_->setTracking(true);
    applyRange();
    // Programmatic changes raise Change in the caller's stack; only the user's go through
    // runEvent, whose caller is the event loop.
    QObject::connect(bar_, &QScrollBar::valueChanged, this, [this] {
        if (bar_->isSliderDown()) {
            if (Scroll)
                runEvent(Scroll);
        } else if (Change) {
            if (settingValue_)
                Change();
            else
                runEvent(Change);
        }
    });
    QObject::connect(bar_, &QScrollBar::sliderReleased, this, [this] {
        if (Change)
            runEvent(Change);
    });
}

void ScrollBar::applyRange()
{
    bar_->setRange(std::min(min_, max_), std::max(min_, max_));
    bar_->setSingleStep(small_);
    bar_->setPageStep(large_);
}

int ScrollBar::Value() const { return bar_->value(); }

void ScrollBar::setMin(int v)
{
    checkRange(v);
    min_ = v;
    applyRange();
}

void ScrollBar::setMax(int v)
{
    checkRange(v);
    max_ = v;
    applyRange();
}

void ScrollBar::setValue(int v)
{
    checkRange(v);
    if (v < std::min(min_, max_) || v > std::max(min_, max_))
        vb::raiseError(vb::ErrInvalidPropertyValue);
    const QScopedValueRollback<bool> programmatic(settingValue_, true);
    bar_->setValue(v);
}

void ScrollBar::setSmallChange(int v)
{
    if (v < 1 || v > 32767)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    small_ = v;
    applyRange();
}

void ScrollBar::setLargeChange(int v)
{
    if (v < 1 || v > 32767)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    large_ = v;
    applyRange();
}

// ---- Line ----

namespace {

class LineWidget : public QWidget
{
public:
    LineWidget() { setAttribute(Qt::WA_TransparentForMouseEvents); }
    QLine line;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        p.drawLine(line);
    }
};

} // namespace

Line::Line(Form &form, const QString &name, float x1, float y1, float x2, float y2, Control *container)
    : Control(form, name, new LineWidget, container), x1_(x1), y1_(y1), x2_(x2), y2_(y2)
{
    placeWidget();
}

void Line::setX1(float v) { x1_ = v; placeWidget(); }
void Line::setY1(float v) { y1_ = v; placeWidget(); }
void Line::setX2(float v) { x2_ = v; placeWidget(); }
void Line::setY2(float v) { y2_ = v; placeWidget(); }

void Line::placeWidget()
{
    left_ = std::min(x1_, x2_);
    top_ = std::min(y1_, y2_);
    width_ = std::abs(x2_ - x1_);
    height_ = std::abs(y2_ - y1_);
    const QPoint a(toPixels(x1_), toPixels(y1_)), b(toPixels(x2_), toPixels(y2_));
    const QRect box = QRect(a, b).normalized().adjusted(0, 0, 1, 1);
    auto *w = static_cast<LineWidget *>(widget());
    w->setGeometry(box);
    w->line = QLine(a - box.topLeft(), b - box.topLeft());
    w->update();
}

// ---- Timer ----

Timer::Timer(Form &form, const QString &name) : QObject(&form), timer_(new QTimer(this))
{
    setObjectName(name);
    QObject::connect(timer_, &QTimer::timeout, this, [this] {
        if (Tick)
            runEvent(Tick);
    });
}

void Timer::setInterval(int ms)
{
    if (ms < 0 || ms > 65535)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    interval_ = ms;
    apply();
}

void Timer::setEnabled(bool on)
{
    enabled_ = on;
    apply();
}

void Timer::apply()
{
    // An interval of 0 stops the timer, as the run time's does.
    if (enabled_ && interval_ > 0)
        timer_->start(interval_);
    else
        timer_->stop();
}

} // namespace forms
