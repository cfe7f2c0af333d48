// SPDX-License-Identifier: GPL-2.0-or-later
// The base of every control: a name, a place in twips that program logic reads and writes,
// Visible, Enabled, ToolTipText, focus, and the mouse and key events as hooks. The widget
// follows the twips at 15 twips per pixel; the twips stay exactly as set (a size beyond 32767
// pixels reads back as that limit). The control owns its widget: deleting it deletes the
// widget. Mouse events stop at the control that took them; they never reach the window or
// the container behind it.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QMouseEvent;

namespace forms {

class DataObject;
class DragSource;
class DropTarget;
class Form;

class Control : public QObject
{
    Q_OBJECT
public:
    // The widget becomes a child of the container's inner widget, or of the form's client area.
    Control(Form &form, const QString &name, QWidget *widget, Control *container = nullptr, int index = -1);
    ~Control() override;

    QString Name() const { return name_; }
    int Index() const { return index_; } // element number in a control array, -1 otherwise
    Form &form() const { return form_; }
    QWidget *widget() const { return widget_.data(); }
    // Where child controls of this one live (a picture box holding images).
    virtual QWidget *inner() const { return widget_; }

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    virtual void setLeft(float v);
    virtual void setTop(float v);
    // A negative size raises error 380, as the run time does.
    virtual void setWidth(float v);
    virtual void setHeight(float v);
    void Move(float left, float top);
    void Move(float left, float top, float width, float height);

    bool Visible() const { return visible_; }
    virtual void setVisible(bool v);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool v);
    QString ToolTipText() const { return toolTip_; }
    void setToolTipText(const QString &t);
    // Moves the keyboard focus here; a control that cannot take it is left alone.
    void SetFocus();
    bool hasFocus() const;
    void ZOrder(int position = 0); // 0 brings it to the front

    // The run time's own drag inside the program (a manual drag): Drag(1) begins it, usually in
    // MouseDown; the control follows the pointer as a drag cursor, and releasing the button
    // raises DragDrop on the control under the pointer (X, Y relative to it), or Form_DragDrop on
    // a window's background. The source sees no MouseUp and no Click for that release.
    // Drag(0) cancels, Drag(2) drops where the pointer is.
    void Drag(int action = 1);
    std::function<void(Control &source, float x, float y)> DragDrop;
    // state 0 entering, 1 leaving, 2 over.
    std::function<void(Control &source, float x, float y, int state)> DragOver;
    // The control a widget belongs to (its own widget, an inner part of it), or null.
    static Control *of(QWidget *w);

    // A new element of a control array takes the properties of the element it is made from
    // (its place, size and the kind's own properties), hidden.
    virtual void copyDesign(const Control &from);

    // Event hooks, set by the window that owns the control. Coordinates are in twips relative
    // to the control; button 1 left, 2 right, 4 middle; shift as in KeyCodes.h.
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(int button, int shift, float x, float y)> MouseDown;
    std::function<void(int button, int shift, float x, float y)> MouseUp;
    std::function<void(int &keyCode, int shift)> KeyDown;
    std::function<void(int &keyAscii)> KeyPress; // setting keyAscii to 0 swallows the key
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;

    // OLE drag and drop (DragDrop.h). With OLEDropMode 1 (manual) the control takes drops and
    // raises OLEDragOver (state 0 enter, 1 leave, 2 over) and OLEDragDrop. OLEDrag, called from a
    // MouseDown handler, starts a drag once the pointer moves with the button held: OLEStartDrag
    // fills the data and the allowed effects, OLECompleteDrag learns the effect of the drop.
    int OLEDropMode() const { return dropTarget_ ? 1 : 0; }
    void setOLEDropMode(int mode);
    void OLEDrag();
    std::function<void(DataObject &data, int &effect, int button, int shift, float x, float y, int state)> OLEDragOver;
    std::function<void(DataObject &data, int &effect, int button, int shift, float x, float y)> OLEDragDrop;
    std::function<void(DataObject &data, int &allowedEffects)> OLEStartDrag;
    std::function<void(int &effect)> OLECompleteDrag;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    QPointF mouseTwips(QObject *watched, const QMouseEvent *me) const;

public:
    // The manual drag's steps, driven by the layer: the pointer moved; the drop on what lies
    // under the pointer.
    void dragMoved(const QPoint &global);
    void dropAt(const QPoint &global);

protected:
    // Watches key, mouse and focus events of another widget too (a combo box's edit field).
    void watch(QWidget *w);
    virtual void applyGeometry();
    // Whether a plain click on the widget raises Click (buttons raise it from their own signal).
    virtual bool clickFromMouse() const { return true; }
    // The widget that takes drops (a list's viewport).
    virtual QWidget *dropWidget() const { return widget_; }

    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;

private:
    Form &form_;
    QString name_;
    QPointer<QWidget> widget_;
    int index_;
    bool visible_ = true;
    bool enabled_ = true;
    QString toolTip_;
    bool pressed_ = false;
    bool dying_ = false;
    QWidget *pressWidget_ = nullptr; // where the last press landed, with its place and button
    QPoint pressAt_;
    Qt::MouseButton pressButton_ = Qt::NoButton;
    DropTarget *dropTarget_ = nullptr;
    DragSource *dragSource_ = nullptr;
};

} // namespace forms
