// SPDX-License-Identifier: GPL-2.0-or-later
// Program-wide services of the window layer: the collection of loaded windows, DoEvents, the
// screen, the message box and the beep, and the unit conversion between twips and pixels.
#pragma once

#include <QPointer>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

#include "platform/link/link.h"

#include <memory>

class QFont;
class QObject;
class QWidget;

namespace forms {

class Form;

constexpr float kTwipsPerPixel = 15.0f; // 96 dots per inch

// Twips to whole pixels as the widgets take them (negative positions included).
inline int toPixels(float twips) { return qRound(twips / kTwipsPerPixel); }
inline float toTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }
// The most a window or control can be in either direction (32767 pixels); a larger size reads
// back as this.
constexpr float kMaxTwips = 32767 * kTwipsPerPixel;

// The program's loaded windows in load order (what the run time's Forms collection holds).
class Forms
{
public:
    const std::vector<Form *> &all() const { return loaded_; }
    int count() const { return static_cast<int>(loaded_.size()); }
    // The first loaded window with exactly this name, or nullptr.
    Form *find(const QString &name) const;
    // The loaded window whose widget is the application's active window, or nullptr.
    Form *active() const;

    // The program's Link server, made and listening on first use under the program file's
    // base name (or the name set before). Null when another program already serves the name.
    void setLinkApplication(const QString &name) { linkApplication_ = name; }
    suite_link::LinkServer *linkServer();
    QString linkError() const { return linkError_; }

    // A window the program made while running (a second board): the collection deletes it once
    // it has been unloaded and no handler runs any more, or with the program.
    void adopt(Form *f);
    bool adopted(const Form *f) const;

    // The program ends when its last window has been unloaded and no handler runs any more.
    // With this set, it also ends when an unload leaves no window on the screen: the windows
    // that are loaded but hidden are unloaded then, since nothing could show them again.
    void setEndWhenNothingShows(bool on) { endWhenNothingShows_ = on; }

    Forms();
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

private:
    friend class Form;
    friend void visitSafePoint();
    void add(Form *f);
    // f was unloaded: the program's end is looked at once no handler runs any more.
    void remove(Form *f);
    // f is being destroyed.
    void forget(Form *f);
    void disown(Form *f);
    void afterUnload();
    bool endWhenNothingShows_ = false;
    std::vector<Form *> loaded_;
    std::vector<QPointer<Form>> owned_;
    QString linkApplication_;
    std::unique_ptr<suite_link::LinkServer> server_;
    bool serverTried_ = false;
    QString linkError_;
};

// Lets pending window events run, as the program's long operations do between steps. After the
// program ended (End, or an End inside the events run here) it does not return: the handler
// that called it is unwound.
void DoEvents();
// Waits until an event comes (a timer, the user) and lets the pending events run: for loops that
// wait for a flag an event sets, without spinning.
void WaitEvents();
// The same for loops that would call DoEvents after every small step: lets events run only
// when about 10 ms have passed since they last ran, so that the window stays responsive at a
// fraction of the cost.
void yieldEvents();

// Ends the program at once, as the run time's End does: every window is hidden, the event loop
// is left, and the handlers that are running are unwound (no Unload event runs, and no handler
// code runs on afterwards).
[[noreturn]] void End();
bool ended();
// Replaces leaving the event loop (tests; a program with something to do first).
void setEndHook(std::function<void()> hook);
// Forgets that the program ended, and when events last ran, so that a test can start another
// program in the same process as a fresh process starts it.
void resetEnd();

// Thrown by End and by DoEvents after the end, caught by runEvent. Not a std::exception, so
// that no handler's own catch takes it.
struct ProgramEnded
{
};

// Destroys an object (an unloaded window or control) once control is back in the program's
// event loop with no handler, DoEvents or drag running, whatever unloaded it: a menu item, a
// button, a key, a timer, a Link execute or a drop. The widget that delivered the event is
// still on the stack when its handler returns, so nothing is destroyed from there.
void destroyLater(QObject *object);
// Destroys what destroyLater queued at once, unless a handler is running (the program's end;
// tests).
void collectGarbage();

// Counts as a running handler for its life: nothing is destroyed, and the program does not end
// by itself, while one exists.
class Running
{
public:
    Running();
    ~Running();
    Running(const Running &) = delete;
    Running &operator=(const Running &) = delete;
};

// The screen the windows live on, in twips.
float screenWidth();
float screenHeight();

// The text controls' font: the usual Japanese UI face where installed, else the system's
// Japanese sans-serif face.
QString uiFontFamily();
// That face at a size in points.
QFont uiFont(float points);

// Modal message box; returns the button pressed (1 = OK). Tests replace it.
using MsgBoxHook = std::function<int(const QString &prompt, int buttons, const QString &title)>;
int MsgBox(const QString &prompt, int buttons = 0, const QString &title = QString());
void setMsgBoxHook(MsgBoxHook hook);

// Runs an event handler for the window system. Anything the handler lets through, a run-time
// error or any other exception, is reported and ends the program, as the run time does with an
// error no handler traps. Nothing runs after the program ended.
void runEvent(const std::function<void()> &handler);
using UnhandledErrorHook = std::function<void(int number, const QString &description)>;
// Replaces the report-and-end (tests, or a program with its own last resort).
void setUnhandledErrorHook(UnhandledErrorHook hook);

// The system beep; tests count it.
void Beep();
int beepCount();

} // namespace forms
