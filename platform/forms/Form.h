// SPDX-License-Identifier: GPL-2.0-or-later
// A window: its name and caption, its place in twips (outer Left, Top, Width, Height and the
// client area's ScaleWidth, ScaleHeight), its state, load and unload, modeless show and hide,
// printing text on the client area, and its events as virtual functions named as the program
// names its handlers (Form_Load, Form_Resize, ...).
//
// The client area in twips is the truth; Width and Height add what the window system and the
// menu bar take. Setting a size raises Form_Resize at once, as the run time does; the window
// system's own echo of that change is recognised and raises nothing.
#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QMainWindow;
class QWidget;

namespace forms {

class Control;
class DataObject;
class DropTarget;
class Forms;
class MenuBar;

enum WindowStateValue { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
enum UnloadMode { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2 };

class Form : public QObject
{
    Q_OBJECT
public:
    Form(Forms &forms, const QString &name, float scaleWidth, float scaleHeight);
    ~Form() override;

    QString Name() const { return objectName(); }
    Forms &forms() const { return forms_; }
    QString Caption() const { return caption_; }
    void setCaption(const QString &c);

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const;
    float Height() const;
    float ScaleWidth() const { return scaleW_; }
    float ScaleHeight() const { return scaleH_; }
    void setLeft(float v);
    void setTop(float v);
    void setWidth(float v);
    void setHeight(float v);
    void Move(float left, float top);
    void Move(float left, float top, float width, float height);
    int WindowState() const;
    void setWindowState(int state);
    // What the window system and the menu bar add to the client area, in twips.
    float frameWidth() const;
    float frameHeight() const;

    bool Visible() const;
    void setVisible(bool v);
    bool KeyPreview = false;
    // Keeps the window above the other windows; a shown window stays shown.
    bool TopMost() const;
    void setTopMost(bool on);
    // 1 (manual): the client area takes drops and raises Form_OLEDragOver and Form_OLEDragDrop.
    int OLEDropMode() const { return dropTarget_ ? 1 : 0; }
    void setOLEDropMode(int mode);

    bool isLoaded() const { return loaded_; }
    // Loaded once and unloaded since: what the program's name for the window refers to next is
    // a fresh instance in its design state (DefaultInstance).
    bool wasUnloaded() const { return wasUnloaded_; }
    // Runs Form_Load once and adds the window to the program's collection.
    void Load();
    // Loads if needed, shows the window without an owner and activates it.
    void Show();
    void Hide();
    // Makes the window the active one and gives it the focus.
    void SetFocus();
    // Asks Form_QueryUnload and Form_Unload; false when one of them cancelled. A window the
    // collection adopted is destroyed once no handler runs any more.
    bool Unload(int mode = vbFormCode);
    // Called once the window has been unloaded (after Form_Unload).
    std::function<void(Form &)> onUnloaded;

    // Text printed on the client area at CurrentX, CurrentY; the next line starts below it.
    // Only what can still be seen is kept (and returned by printedText): nothing of a line that
    // starts beyond the most the client area can show, the larger of its size and the
    // desktop's, and no more of a line than that width shows.
    void Print(const QString &text);
    void Cls();
    QStringList printedText() const;
    float CurrentX = 0, CurrentY = 0;
    void Refresh();

    Control *control(const QString &name, int index = -1) const;
    Control *ActiveControl() const;
    const std::vector<Control *> &controls() const { return controls_; }

    QMainWindow *window() const { return window_; }
    QWidget *client() const { return client_; }
    MenuBar *menuBar();

    // A Link source: with LinkMode 1 the form serves LinkTopic on the program's Link server and
    // answers requests for an item with the text of its control of that name (a list: its items,
    // each followed by CR LF).
    QString LinkTopic() const { return linkTopic_; }
    void setLinkTopic(const QString &topic);
    int LinkMode() const { return linkMode_; }
    void setLinkMode(int mode); // 0 none, 1 source

    // Events. The base versions do nothing.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_Resize() {}
    virtual void Form_Click() {}
    virtual void Form_GotFocus() {}
    virtual void Form_KeyDown(int &keyCode, int shift) { (void)keyCode, (void)shift; }
    virtual void Form_KeyPress(int &keyAscii) { (void)keyAscii; }
    virtual void Form_QueryUnload(int &cancel, int unloadMode) { (void)cancel, (void)unloadMode; }
    virtual void Form_Unload(int &cancel) { (void)cancel; }
    virtual void Form_LinkOpen(int &cancel) { (void)cancel; }
    // cancel comes in as True: a handler accepts the command by setting it to 0.
    virtual void Form_LinkExecute(const QString &cmdStr, int &cancel) { (void)cmdStr, (void)cancel; }
    virtual void Form_LinkError(int linkErr) { (void)linkErr; }
    virtual void Form_LinkClose() {}
    virtual void Form_OLEDragOver(DataObject &data, int &effect, int button, int shift, float x, float y, int state)
    {
        (void)data, (void)effect, (void)button, (void)shift, (void)x, (void)y, (void)state;
    }
    virtual void Form_OLEDragDrop(DataObject &data, int &effect, int button, int shift, float x, float y)
    {
        (void)data, (void)effect, (void)button, (void)shift, (void)x, (void)y;
    }
    // A control of the program dropped on the window's background at the end of a manual drag.
    virtual void Form_DragDrop(Control &source, float x, float y) { (void)source, (void)x, (void)y; }

    // The program's window a widget belongs to, or null.
    static Form *of(QWidget *w);

private:
    friend class Control;
    friend class FormWindow;
    friend class FormClient;
    void addControl(Control *c) { controls_.push_back(c); }
    void removeControl(Control *c);
    void applyGeometry();
    // Height of the menu bar over a client area this many pixels wide, as the window's layout
    // gives it (a narrow window wraps its menu bar into more rows).
    int menuBarHeight(int clientWidth) const;
    // Sets the client size; raises Form_Resize when it changed.
    void resizeClient(float w, float h);
    void clientResized(const QSize &px);
    void windowMoved(const QPoint &px);
    bool closeRequested();
    void activated();
    void resized();
    void serveTopic(bool on);
    class LinkSource;

    Forms &forms_;
    QMainWindow *window_;
    QWidget *client_;
    MenuBar *menuBar_ = nullptr;
    QString caption_;
    float left_ = 0, top_ = 0, scaleW_, scaleH_;
    QSize appliedClient_;
    QPoint appliedPos_;
    bool placed_ = false; // Left or Top was set: the window system no longer chooses the place
    bool loaded_ = false;
    bool shownOnce_ = false;
    bool unloading_ = false;
    bool wasUnloaded_ = false;
    std::vector<Control *> controls_;
    QString linkTopic_;
    int linkMode_ = 0;
    LinkSource *linkSource_ = nullptr;
    DropTarget *dropTarget_ = nullptr;
    struct PrintedLine
    {
        QPointF at;
        QString text;
    };
    std::vector<PrintedLine> printed_;
};

} // namespace forms
