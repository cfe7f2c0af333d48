// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/EventLoop.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/Program.h"
#include "platform/vb/vb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>

namespace forms {

namespace {

EventLoop &loop() { return Program::current().loop(); }

// A clock for the budget that costs next to nothing to read: callers ask millions of times.
qint64 coarseMs()
{
#ifdef CLOCK_MONOTONIC_COARSE
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
#else
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
#endif
}

} // namespace

EventLoop::EventLoop() : context_(std::make_unique<QObject>()) {}

EventLoop::~EventLoop()
{
    depth_ = 0;
    collect();
}

Running::Running() : loop_(loop()) { ++loop_.depth_; }
Running::~Running() { --loop_.depth_; }

void EventLoop::eventsRan()
{
    lastEvents_ = coarseMs();
    if (ended_)
        throw ProgramEnded{};
}

void DoEvents()
{
    {
        const Running running;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    loop().eventsRan();
}

void WaitEvents()
{
    {
        const Running running;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    loop().eventsRan();
}

void yieldEvents()
{
    constexpr qint64 budgetMs = 10;
    EventLoop &l = loop();
    if (coarseMs() - l.lastEvents_ >= budgetMs)
        DoEvents();
    else if (l.ended_)
        throw ProgramEnded{};
}

// Hides every window and leaves the event loop, once.
void EventLoop::finish()
{
    if (ended_)
        return;
    ended_ = true;
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    if (endHook_)
        endHook_();
    else
        QCoreApplication::exit(0);
}

void End()
{
    loop().finish();
    throw ProgramEnded{};
}

bool ended() { return loop().ended_; }
void setEndHook(std::function<void()> hook) { loop().endHook_ = std::move(hook); }

// Nothing of any window is on the stack: no handler, no DoEvents and no drag runs, and the
// event loop that got here is the program's own, not one that a dialog or a drag runs inside
// something else.
bool EventLoop::atSafePoint() const { return depth_ == 0 && QThread::currentThread()->loopLevel() <= 1; }

// Asks the event loop to come back once control has returned to it. Posted, not run from the
// handler's end: the widget that delivered the event (a menu whose item was clicked, a button)
// is still on the stack then, inside its own event function.
void EventLoop::scheduleSafePoint(int delayMs)
{
    if (safePointDue_ || !QCoreApplication::instance())
        return;
    safePointDue_ = true;
    QTimer::singleShot(delayMs, context_.get(), [this] {
        safePointDue_ = false;
        visitSafePoint();
    });
}

void EventLoop::visitSafePoint()
{
    if (graveyard_.empty() && unloadedFrom_.empty())
        return;
    if (!atSafePoint()) {
        // Inside a nested loop (a drag, a modal dialog) or an event pump of a handler: look again
        // a little later, without spinning.
        scheduleSafePoint(10);
        return;
    }
    while (!unloadedFrom_.empty()) {
        Forms *forms = unloadedFrom_.back();
        unloadedFrom_.pop_back();
        forms->afterUnload();
        if (ended_)
            break;
    }
    collect();
}

void EventLoop::unloadedFrom(Forms *forms)
{
    if (std::find(unloadedFrom_.begin(), unloadedFrom_.end(), forms) == unloadedFrom_.end())
        unloadedFrom_.push_back(forms);
    scheduleSafePoint();
}

void EventLoop::forgetForms(Forms *forms)
{
    unloadedFrom_.erase(std::remove(unloadedFrom_.begin(), unloadedFrom_.end(), forms), unloadedFrom_.end());
}

void destroyLater(QObject *object)
{
    if (!object)
        return;
    EventLoop &l = loop();
    l.graveyard_.emplace_back(object);
    l.scheduleSafePoint();
}

void EventLoop::collect()
{
    if (depth_ > 0)
        return;
    // A destructor may queue more.
    while (!graveyard_.empty()) {
        std::vector<QPointer<QObject>> dead;
        dead.swap(graveyard_);
        for (const QPointer<QObject> &o : dead)
            delete o.data();
    }
}

void collectGarbage() { loop().collect(); }

void setUnhandledErrorHook(UnhandledErrorHook hook) { loop().unhandledHook_ = std::move(hook); }

void EventLoop::unhandled(int number, const QString &description)
{
    if (unhandledHook_) {
        unhandledHook_(number, description);
        return;
    }
    const QString text = QString::fromUtf8("実行時エラー '%1':\r\n\r\n%2").arg(number).arg(description);
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(QString(text).replace(QLatin1String("\r\n\r\n"), QLatin1String(" "))));
    MsgBox(text, 16);
    std::exit(1);
}

void runEvent(const std::function<void()> &handler)
{
    EventLoop &l = loop();
    if (l.ended_)
        return;
    {
        const Running running;
        try {
            handler();
        } catch (const ProgramEnded &) {
        } catch (const vb::RuntimeError &e) {
            l.unhandled(e.number(), e.description());
        } catch (const std::bad_alloc &) {
            l.unhandled(vb::ErrOutOfMemory, vb::errorDescription(vb::ErrOutOfMemory));
        } catch (const std::exception &e) {
            l.unhandled(vb::ErrInternal, QString::fromLocal8Bit(e.what()));
        } catch (...) {
            l.unhandled(vb::ErrInternal, vb::errorDescription(vb::ErrInternal));
        }
    }
    // What the handler unloaded is destroyed at the next safe point, not here: the widget that
    // delivered the event may still be on the stack.
}

} // namespace forms
