// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/DragDrop.h"

#include "platform/forms/DropOutcome.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Program.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace forms {

namespace {

QStringList localFiles(const QMimeData *m)
{
    QStringList out;
    if (!m || !m->hasUrls())
        return out;
    for (const QUrl &u : m->urls())
        if (u.isLocalFile())
            out << u.toLocalFile();
    return out;
}

bool holdsLocalFiles(const QMimeData *m)
{
    if (!m || !m->hasUrls())
        return false;
    for (const QUrl &u : m->urls())
        if (u.isLocalFile())
            return true;
    return false;
}

int buttonsOf(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

Interaction &interaction() { return Program::current().interaction(); }

} // namespace

// ---- the data object ----

DataObject::DataObject() : out_(std::make_unique<QMimeData>()) {}

DataObject::DataObject(const QMimeData *in) : in_(in) {}

DataObject::~DataObject() = default;

bool DataObject::GetFormat(int format) const
{
    const QMimeData *m = mimeData();
    if (!m)
        return false;
    switch (format) {
    case vbCFText: return m->hasText() && !holdsLocalFiles(m);
    case vbCFBitmap:
    case vbCFDIB: return m->hasImage();
    case vbCFFiles: return holdsLocalFiles(m);
    default: return false;
    }
}

QVariant DataObject::GetData(int format) const
{
    if (!GetFormat(format))
        return QVariant();
    const QMimeData *m = mimeData();
    switch (format) {
    case vbCFText: return m->text();
    case vbCFBitmap:
    case vbCFDIB: return m->imageData();
    default: return QVariant();
    }
}

QStringList DataObject::Files() const { return localFiles(mimeData()); }

void DataObject::SetData(const QVariant &value, int format)
{
    if (!out_)
        return; // dropped data is read-only
    switch (format) {
    case vbCFText: out_->setText(value.toString()); break;
    case vbCFBitmap:
    case vbCFDIB: out_->setImageData(value); break;
    default: break;
    }
}

void DataObject::setFiles(const QStringList &paths)
{
    if (!out_)
        return;
    QList<QUrl> urls;
    QString names;
    for (const QString &p : paths) {
        urls << QUrl::fromLocalFile(p);
        names += p + QStringLiteral("\r\n");
    }
    out_->setUrls(urls);
    out_->setText(names);
}

void DataObject::Clear()
{
    if (out_)
        out_->clear();
}

bool DataObject::isEmpty() const
{
    const QMimeData *m = mimeData();
    return !m || m->formats().isEmpty();
}

QMimeData *DataObject::takeMimeData() { return out_.release(); }

int effectsOf(Qt::DropActions actions)
{
    return (actions & Qt::CopyAction ? vbDropEffectCopy : 0) | (actions & Qt::MoveAction ? vbDropEffectMove : 0);
}

Qt::DropActions actionsOf(int effects)
{
    Qt::DropActions a;
    if (effects & vbDropEffectCopy)
        a |= Qt::CopyAction;
    if (effects & vbDropEffectMove)
        a |= Qt::MoveAction;
    return a;
}

// One action out of the effects a target chose, within what the source allows.
static Qt::DropAction pickAction(int effects, const QDropEvent *e)
{
    if (holdsLocalFiles(e->mimeData()) && (effects & vbDropEffectMove)) {
        effects &= ~vbDropEffectMove;
        effects |= vbDropEffectCopy;
    }
    const Qt::DropActions allowed = actionsOf(effects) & e->possibleActions();
    if (!allowed)
        return Qt::IgnoreAction;
    if (allowed & e->proposedAction())
        return e->proposedAction();
    return allowed & Qt::CopyAction ? Qt::CopyAction : Qt::MoveAction;
}

// ---- drop targets ----

void setOLEDropMode(DropTarget *&target, int mode, QWidget *widget, const std::function<DropHandlers()> &makeHandlers)
{
    if (mode != 0 && mode != 1)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    if (mode == 0) {
        delete target;
        target = nullptr;
    } else if (!target) {
        target = new DropTarget(widget, makeHandlers());
    }
}

DropTarget::DropTarget(QWidget *widget, DropHandlers handlers)
    : QObject(widget),
      widget_(widget),
      handlers_(std::move(handlers))
{
    widget_->setAcceptDrops(true);
    widget_->installEventFilter(this);
}

DropTarget::~DropTarget()
{
    widget_->removeEventFilter(this);
    widget_->setAcceptDrops(false);
}

int DropTarget::dragOver(QDropEvent *e, int state)
{
    DataObject data(e->mimeData());
    int effect = effectsOf(e->possibleActions());
    if (handlers_.dragOver) {
        const QPointF at = e->position();
        runEvent([&] {
            handlers_.dragOver(data, effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()),
                               float(at.x()) * kTwipsPerPixel, float(at.y()) * kTwipsPerPixel, state);
        });
    }
    const Qt::DropAction a = pickAction(effect, e);
    e->setDropAction(a);
    lastEffect_ = effect;
    return a == Qt::IgnoreAction ? vbDropEffectNone : effect;
}

void DropTarget::drop(QDropEvent *e)
{
    DataObject data(e->mimeData());
    int effect = handlers_.dragOver ? lastEffect_ : effectsOf(e->possibleActions());
    if (handlers_.dragDrop) {
        const QPointF at = e->position();
        runEvent([&] {
            handlers_.dragDrop(data, effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()),
                               float(at.x()) * kTwipsPerPixel, float(at.y()) * kTwipsPerPixel);
        });
    }
    const Qt::DropAction a = pickAction(effect, e);
    if (a == Qt::IgnoreAction) {
        e->setDropAction(Qt::IgnoreAction);
        e->ignore();
    } else {
        e->setDropAction(a);
        e->accept();
    }
}

bool DropTarget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != widget_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *e = static_cast<QDragEnterEvent *>(event);
        dragOver(e, vbEnter);
        // Accepted even when nothing is taken now: the effect may change as the pointer moves
        // or the keys change; the drop action tells the source what a drop would do.
        e->accept();
        return true;
    }
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        if (dragOver(e, vbOver) == vbDropEffectNone)
            e->ignore();
        else
            e->accept();
        return true;
    }
    case QEvent::DragLeave:
        if (handlers_.dragOver) {
            DataObject none(nullptr);
            int effect = vbDropEffectNone;
            runEvent([&] { handlers_.dragOver(none, effect, 0, 0, 0, 0, vbLeave); });
        }
        return true;
    case QEvent::Drop: drop(static_cast<QDropEvent *>(event)); return true;
    default: return false;
    }
}

// ---- drag sources ----

void setDragHook(DragHook hook) { interaction().setDragHook(std::move(hook)); }

DragSource::DragSource(QWidget *widget, DragHandlers handlers)
    : QObject(widget),
      widget_(widget),
      handlers_(std::move(handlers))
{
    widget_->installEventFilter(this);
}

DragSource::~DragSource() { widget_->removeEventFilter(this); }

void DragSource::begin(QPoint pressAt, Qt::MouseButton button)
{
    armed_ = true;
    pressAt_ = pressAt;
    button_ = button;
}

bool DragSource::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != widget_ || !armed_)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (button_ != Qt::NoButton && !(me->buttons() & button_)) {
            armed_ = false;
            return false;
        }
        if ((me->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
            return true;
        armed_ = false;
        exec();
        return true;
    }
    case QEvent::MouseButtonRelease: armed_ = false; return false;
    default: return false;
    }
}

// How long a drag source waits for another program to say what its drop did: as long as a
// drop handler may work (a conversion of many pictures).
constexpr int kDropOutcomeBoundMs = 300000;

int DragSource::exec()
{
    armed_ = false;
    DataObject data;
    int allowed = vbDropEffectNone;
    if (handlers_.startDrag)
        runEvent([&] { handlers_.startDrag(data, allowed); });
    if (allowed == vbDropEffectNone || data.isEmpty())
        return vbDropEffectNone;
    dragging_ = true;
    int effect = vbDropEffectNone;
    {
        // The drag runs an event loop of its own: the windows stay while it runs, and while
        // the drop's outcome is awaited.
        const Running running;
        if (const DragHook hook = interaction().dragHook()) {
            effect = hook(*data.mimeData(), allowed);
        } else {
            auto *drag = new QDrag(widget_);
            drag->setMimeData(data.takeMimeData());
            DropOutcome outcome;
            Qt::DropAction a = drag->exec(actionsOf(allowed));
            // A drop into another program may still refuse what its drag-over accepted.
            a = outcome.settle(a, drag->target() != nullptr, kDropOutcomeBoundMs);
            effect = effectsOf(a);
        }
    }
    dragging_ = false;
    if (handlers_.completeDrag)
        runEvent([&] { handlers_.completeDrag(effect); });
    return effect;
}

} // namespace forms
