// SPDX-License-Identifier: GPL-2.0-or-later
// OLE drag and drop as the programs use it: the data object of a drag (GetFormat, GetData,
// Files, SetData), drops onto a window or a control (a drag-over event that picks an effect out
// of the offered ones, a drop event), and drags out of a control (started from a mouse press,
// filled by a start-drag event, closed by a complete-drag event that learns the final effect).
//
// Port rules: data that carries local files (file: URLs, as every file manager offers them) is a
// file list (format 15) and nothing else, its text copy is not offered as text; data without
// local files but with plain text is text (format 1). A drop of a file list never reports a move
// back to its source (a file manager would delete the user's files).
#pragma once

#include "platform/forms/Interaction.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class QDropEvent;
class QMimeData;
class QWidget;

namespace forms {

enum ClipboardFormat : int {
    vbCFText = 1,
    vbCFBitmap = 2,
    vbCFDIB = 8,
    vbCFFiles = 15,
};

enum DropEffect : int {
    vbDropEffectNone = 0,
    vbDropEffectCopy = 1,
    vbDropEffectMove = 2,
};

// The state argument of a drag-over event.
enum DragOverState : int { vbEnter = 0, vbLeave = 1, vbOver = 2 };

// The data of one drag. A dropped object reads the toolkit's data; a started drag fills its own.
class DataObject
{
public:
    DataObject();                             // empty, for a drag that starts here
    explicit DataObject(const QMimeData *in); // read-only view of dropped data
    ~DataObject();
    DataObject(const DataObject &) = delete;
    DataObject &operator=(const DataObject &) = delete;

    // Whether the data holds that format (text 1, bitmap 2 and DIB 8, file list 15).
    bool GetFormat(int format) const;
    // Text for format 1 (a QString), a QImage for 2 and 8; an invalid QVariant for a format the
    // data does not hold.
    QVariant GetData(int format) const;
    QString text() const { return GetData(vbCFText).toString(); }
    // The local paths of a file list, in the order the source gave them.
    QStringList Files() const;

    // Only on a drag that starts here: text for format 1 (the default), a QImage for 2 or 8.
    void SetData(const QVariant &value, int format = vbCFText);
    // Only on a drag that starts here: the file list; its names also go out as text, one per
    // line with CR LF, for programs that take text only.
    void setFiles(const QStringList &paths);
    void Clear();
    bool isEmpty() const;

    // The toolkit's data: the dropped data, or what a started drag hands over (ownership passes
    // to the caller of takeMimeData).
    const QMimeData *mimeData() const { return in_ ? in_ : out_.get(); }
    QMimeData *takeMimeData();

private:
    const QMimeData *in_ = nullptr;
    std::unique_ptr<QMimeData> out_;
};

// Qt's drop actions and our effects.
int effectsOf(Qt::DropActions actions);
Qt::DropActions actionsOf(int effects);

// The drag-over and drop events of one target, as hooks.
struct DropHandlers
{
    // effect: offered effects in, the effects the target takes out (0 refuses).
    std::function<void(DataObject &data, int &effect, int button, int shift, float x, float y, int state)> dragOver;
    // effect: in, the effects of the last drag-over (the offered ones without a drag-over
    // handler); out, what the drop did.
    std::function<void(DataObject &data, int &effect, int button, int shift, float x, float y)> dragDrop;
};

// Makes a widget a drop target (OLEDropMode manual) that calls handlers. X and Y are in twips
// relative to the widget. Lives as long as the widget or until deleted.
class DropTarget : public QObject
{
    Q_OBJECT
public:
    DropTarget(QWidget *widget, DropHandlers handlers);
    ~DropTarget() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs the drag-over handler and answers the event; returns the effects chosen.
    int dragOver(QDropEvent *e, int state);
    void drop(QDropEvent *e);
    QWidget *widget_;
    DropHandlers handlers_;
    int lastEffect_ = vbDropEffectNone;
};

// OLEDropMode of a window or a control: 0 (none) deletes target, 1 (manual) makes one on widget
// with the handlers made by makeHandlers, once; anything else raises error 380.
void setOLEDropMode(DropTarget *&target, int mode, QWidget *widget, const std::function<DropHandlers()> &makeHandlers);

// The start-drag and complete-drag events of one source, as hooks.
struct DragHandlers
{
    // Fill data and widen allowedEffects (which comes in as 0: none).
    std::function<void(DataObject &data, int &allowedEffects)> startDrag;
    // The effect the target chose: 0 none, 1 copy, 2 move.
    std::function<void(int effect)> completeDrag;
};

// Starts drags out of a widget. begin() is called from a mouse-press handler (manual drag mode):
// the drag itself starts once the pointer has moved the toolkit's drag distance with the button
// held, so a press that is released in place stays an ordinary press, release and click.
class DragSource : public QObject
{
    Q_OBJECT
public:
    DragSource(QWidget *widget, DragHandlers handlers);
    ~DragSource() override;
    // Arms a drag for the press of button at pressAt (pixels in the widget).
    void begin(QPoint pressAt, Qt::MouseButton button);
    // Starts the drag at once (start-drag event, the drag, complete-drag event); returns the
    // final effect. A start-drag that sets no data or no effect starts nothing and returns 0.
    int exec();
    bool dragging() const { return dragging_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *widget_;
    DragHandlers handlers_;
    bool armed_ = false;
    bool dragging_ = false;
    QPoint pressAt_;
    Qt::MouseButton button_ = Qt::NoButton;
};

// Puts a hook in the place of the toolkit's drag (tests).
void setDragHook(DragHook hook);

} // namespace forms
