// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Control.h"

#include "platform/forms/DragDrop.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/ManualDrag.h"
#include "platform/forms/Program.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace forms {

static const char *const kControlProperty = "_forms_control";

namespace {

ManualDrag &manualDrag() { return Program::current().interaction().manualDrag(); }

} // namespace

void ManualDrag::begin(Control *c)
{
    source = c;
    over = nullptr;
    qApp->installEventFilter(this);
}

Control *ManualDrag::end()
{
    qApp->removeEventFilter(this);
    Control *c = source;
    source = nullptr;
    return c;
}

bool ManualDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (!source || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        source->dragMoved(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease: {
        const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        Control *c = end();
        if (c->widget())
            c->widget()->releaseMouse();
        c->dropAt(global);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: return true;
    default: return false;
    }
}

Control::Control(Form &form, const QString &name, QWidget *widget, Control *container, int index)
    : QObject(&form),
      form_(form),
      name_(name),
      widget_(widget),
      index_(index)
{
    widget_->setParent(container ? container->inner() : form.client());
    widget_->setObjectName(index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name);
    watch(widget_);
    form.addControl(this);
}

Control::~Control()
{
    if (manualDrag().source == this) {
        manualDrag().end();
        if (widget_)
            widget_->releaseMouse();
    }
    // The widget's last events (the focus leaving it) are no events of the program's: the window
    // around may be half gone already.
    dying_ = true;
    form_.removeControl(this);
    delete widget_.data();
}

void Control::watch(QWidget *w)
{
    w->installEventFilter(this);
    w->setAttribute(Qt::WA_NoMousePropagation);
    w->setProperty(kControlProperty, QVariant::fromValue(static_cast<QObject *>(this)));
    // A control takes drops only when its OLEDropMode says so (its drop target turns them on).
    // Left to the toolkit, an edit field would take any dropped text as typing and the source
    // would learn that it was copied; this way the drop goes to the window's own handling.
    w->setAcceptDrops(false);
}

Control *Control::of(QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        const QVariant v = w->property(kControlProperty);
        if (v.isValid())
            return qobject_cast<Control *>(v.value<QObject *>());
        if (w->isWindow())
            break;
    }
    return nullptr;
}

// ---- the manual drag ----

void Control::Drag(int action)
{
    ManualDrag &d = manualDrag();
    if (action == 1) {
        if (d.source)
            return;
        d.begin(this);
        widget_->grabMouse(Qt::DragMoveCursor);
    } else if (d.source == this) {
        const QPoint global = QCursor::pos();
        widget_->releaseMouse();
        d.end();
        if (action == 2)
            dropAt(global);
    }
}

void Control::dragMoved(const QPoint &global)
{
    ManualDrag &d = manualDrag();
    Control *target = of(QApplication::widgetAt(global));
    auto over = [&](Control *c, int state) {
        if (c && c->DragOver) {
            const QPointF at = QPointF(c->inner()->mapFromGlobal(global)) * kTwipsPerPixel;
            runEvent([&] { c->DragOver(*this, float(at.x()), float(at.y()), state); });
        }
    };
    if (target != d.over) {
        over(d.over, 1);
        over(target, 0);
        d.over = target;
    } else {
        over(target, 2);
    }
}

void Control::dropAt(const QPoint &global)
{
    QWidget *under = QApplication::widgetAt(global);
    if (Control *target = of(under)) {
        if (target->DragDrop) {
            const QPointF at = QPointF(target->inner()->mapFromGlobal(global)) * kTwipsPerPixel;
            runEvent([&] { target->DragDrop(*this, float(at.x()), float(at.y())); });
        }
        return;
    }
    // The background of one of the program's windows.
    Form *f = Form::of(under);
    if (f) {
        const QPointF at = QPointF(f->client()->mapFromGlobal(global)) * kTwipsPerPixel;
        runEvent([&] { f->Form_DragDrop(*this, float(at.x()), float(at.y())); });
    }
}

void Control::applyGeometry()
{
    widget_->setGeometry(toPixels(left_), toPixels(top_), toPixels(width_), toPixels(height_));
}

static float limited(float size)
{
    if (size < 0)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    return std::min(size, kMaxTwips);
}

void Control::copyDesign(const Control &from)
{
    left_ = from.left_;
    top_ = from.top_;
    width_ = from.width_;
    height_ = from.height_;
    applyGeometry();
    setEnabled(from.enabled_);
    setToolTipText(from.toolTip_);
    setVisible(false);
}

void Control::setLeft(float v)
{
    left_ = v;
    applyGeometry();
}

void Control::setTop(float v)
{
    top_ = v;
    applyGeometry();
}

void Control::setWidth(float v)
{
    width_ = limited(v);
    applyGeometry();
}

void Control::setHeight(float v)
{
    height_ = limited(v);
    applyGeometry();
}

void Control::Move(float left, float top)
{
    left_ = left;
    top_ = top;
    applyGeometry();
}

void Control::Move(float left, float top, float width, float height)
{
    const float w = limited(width), h = limited(height);
    left_ = left;
    top_ = top;
    width_ = w;
    height_ = h;
    applyGeometry();
}

void Control::setVisible(bool v)
{
    visible_ = v;
    widget_->setVisible(v);
}

void Control::setEnabled(bool v)
{
    enabled_ = v;
    widget_->setEnabled(v);
}

void Control::setToolTipText(const QString &t)
{
    toolTip_ = t;
    widget_->setToolTip(t);
}

void Control::SetFocus()
{
    if (visible_ && enabled_)
        widget_->setFocus(Qt::OtherFocusReason);
}

bool Control::hasFocus() const
{
    QWidget *f = widget_->window()->focusWidget();
    return f && (f == widget_ || widget_->isAncestorOf(f));
}

void Control::ZOrder(int position)
{
    if (position == 0)
        widget_->raise();
    else
        widget_->lower();
}

void Control::setOLEDropMode(int mode)
{
    forms::setOLEDropMode(dropTarget_, mode, dropWidget(), [this] {
        DropHandlers h;
        h.dragOver = [this](DataObject &d, int &effect, int button, int shift, float x, float y, int state) {
            if (OLEDragOver)
                OLEDragOver(d, effect, button, shift, x, y, state);
        };
        h.dragDrop = [this](DataObject &d, int &effect, int button, int shift, float x, float y) {
            if (OLEDragDrop)
                OLEDragDrop(d, effect, button, shift, x, y);
        };
        return h;
    });
}

void Control::OLEDrag()
{
    QWidget *on = pressWidget_ ? pressWidget_ : widget_.data();
    if (!dragSource_ || dragSource_->parent() != on) {
        delete dragSource_;
        DragHandlers h;
        h.startDrag = [this](DataObject &d, int &allowed) {
            if (OLEStartDrag)
                OLEStartDrag(d, allowed);
        };
        h.completeDrag = [this](int effect) {
            pressed_ = false;
            if (OLECompleteDrag)
                OLECompleteDrag(effect);
        };
        dragSource_ = new DragSource(on, std::move(h));
    }
    dragSource_->begin(pressAt_, pressButton_);
}

static int buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

// Where a mouse event happened, in twips of the control's inner area (a picture box counts from
// inside its border), whichever of the control's widgets took it.
QPointF Control::mouseTwips(QObject *watched, const QMouseEvent *me) const
{
    auto *w = static_cast<QWidget *>(watched);
    QWidget *origin = inner();
    // The widget that took the event may be inside the origin (a list's viewport) or around it
    // (a picture box's frame): map through the screen, which holds for both.
    const QPointF p = w == origin ? me->position() : origin->mapFromGlobal(w->mapToGlobal(me->position()));
    return p * kTwipsPerPixel;
}

bool Control::eventFilter(QObject *watched, QEvent *event)
{
    if (dying_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *ke = static_cast<QKeyEvent *>(event);
        // Tab and Shift+Tab move the focus and are no key of the control's.
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
            !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        int code = keyCodeOf(ke);
        const int shift = shiftOf(ke);
        if (form_.KeyPreview && code != 0)
            runEvent([&] { form_.Form_KeyDown(code, shift); });
        if (KeyDown && code != 0)
            runEvent([&] { KeyDown(code, shift); });
        const QString text = ke->text();
        if (!text.isEmpty() && text.at(0).unicode() != 0x7F) {
            int ascii = text.at(0).unicode();
            if (form_.KeyPreview)
                runEvent([&] { form_.Form_KeyPress(ascii); });
            if (ascii != 0 && KeyPress)
                runEvent([&] { KeyPress(ascii); });
            if (ascii == 0)
                return true;
        }
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        pressed_ = true;
        pressWidget_ = static_cast<QWidget *>(watched);
        pressAt_ = me->position().toPoint();
        pressButton_ = me->button();
        if (MouseDown) {
            const QPointF at = mouseTwips(watched, me);
            runEvent(
                [&] { MouseDown(buttonOf(me->button()), shiftOf(me->modifiers()), float(at.x()), float(at.y())); });
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (MouseUp) {
            const QPointF at = mouseTwips(watched, me);
            runEvent([&] { MouseUp(buttonOf(me->button()), shiftOf(me->modifiers()), float(at.x()), float(at.y())); });
        }
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (wasPressed && clickFromMouse() && Click && me->button() == Qt::LeftButton &&
            static_cast<QWidget *>(watched)->rect().contains(me->position().toPoint()))
            runEvent(Click);
        return false;
    }
    case QEvent::MouseButtonDblClick:
        if (DblClick)
            runEvent(DblClick);
        return false;
    case QEvent::FocusIn:
        if (GotFocus)
            runEvent(GotFocus);
        return false;
    case QEvent::FocusOut: {
        // Switching to another program or opening a menu is no loss of focus for the program.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (LostFocus && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            runEvent(LostFocus);
        return false;
    }
    default: return false;
    }
}

} // namespace forms
