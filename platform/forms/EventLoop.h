// SPDX-License-Identifier: GPL-2.0-or-later
// The program's event loop as its handlers see it: every event runs through runEvent, long
// operations let events run with DoEvents or on a time budget, End unwinds whatever runs, and
// what a handler unloads is destroyed once nothing of it is on the stack any more. The state
// lives in the current Program's EventLoop; the free functions act on it.
#pragma once

#include <QPointer>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace forms {

class EventLoop;
class Forms;

using UnhandledErrorHook = std::function<void(int number, const QString &description)>;

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

// Thrown by End and by DoEvents after the end, caught by runEvent. Not a std::exception, so
// that no handler's own catch takes it.
struct ProgramEnded
{};

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

private:
    EventLoop &loop_;
};

// Runs an event handler for the window system. Anything the handler lets through, a run-time
// error or any other exception, is reported and ends the program, as the run time does with an
// error no handler traps. Nothing runs after the program ended.
void runEvent(const std::function<void()> &handler);
// Replaces the report-and-end (tests, or a program with its own last resort).
void setUnhandledErrorHook(UnhandledErrorHook hook);

// One program's record of its event loop. Made by Program; nothing else holds one.
class EventLoop
{
public:
    EventLoop();
    // Destroys what is still queued for destruction.
    ~EventLoop();
    EventLoop(const EventLoop &) = delete;
    EventLoop &operator=(const EventLoop &) = delete;

private:
    friend class Running;
    friend class Forms;
    friend void collectGarbage();
    friend void DoEvents();
    friend void WaitEvents();
    friend void yieldEvents();
    friend void End();
    friend bool ended();
    friend void setEndHook(std::function<void()> hook);
    friend void destroyLater(QObject *object);
    friend void runEvent(const std::function<void()> &handler);
    friend void setUnhandledErrorHook(UnhandledErrorHook hook);
    void eventsRan();
    void finish();
    bool atSafePoint() const;
    void scheduleSafePoint(int delayMs = 0);
    void visitSafePoint();
    void collect();
    void unhandled(int number, const QString &description);
    void unloadedFrom(Forms *forms);
    void forgetForms(Forms *forms);

    int depth_ = 0; // handlers, DoEvents calls and drags on the stack
    bool ended_ = false;
    std::function<void()> endHook_;
    UnhandledErrorHook unhandledHook_;
    std::vector<QPointer<QObject>> graveyard_;
    std::vector<Forms *> unloadedFrom_; // collections that lost a window since the last safe point
    bool safePointDue_ = false;         // a visit to the event loop is posted
    qint64 lastEvents_ = -1000;         // when events last ran, on the coarse clock
    // The receiver of the posted visits: they go with the loop.
    std::unique_ptr<QObject> context_;
};

} // namespace forms
