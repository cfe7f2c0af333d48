// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Forms.h"

#include "platform/forms/Form.h"
#include "platform/vb/vb.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMessageBox>
#include <QElapsedTimer>

#include <ctime>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace forms {

namespace {

// What the event wrapper, End and the deferred destruction share: one program per process.
struct Run
{
    int depth = 0; // handlers, DoEvents calls and drags on the stack
    bool ended = false;
    std::function<void()> endHook;
    std::vector<QPointer<QObject>> graveyard;
    std::vector<Forms *> unloadedFrom; // collections that lost a window since the last safe point
    bool safePointDue = false;         // a visit to the event loop is posted
    qint64 lastEvents = -1000;         // when DoEvents last ran, on the coarse clock
};

Run &run()
{
    static Run r;
    return r;
}

} // namespace

Running::Running() { ++run().depth; }
Running::~Running() { --run().depth; }

Forms::Forms() = default;
Forms::~Forms()
{
    std::vector<Forms *> &pending = run().unloadedFrom;
    pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
    // Windows the program made and left loaded go with it.
    const std::vector<QPointer<Form>> owned = owned_;
    for (const QPointer<Form> &f : owned)
        delete f.data();
    collectGarbage();
}

suite_link::LinkServer *Forms::linkServer()
{
    if (!serverTried_) {
        serverTried_ = true;
        auto server = std::make_unique<suite_link::LinkServer>(linkApplication_);
        if (server->listen())
            server_ = std::move(server);
        else
            linkError_ = server->errorString();
    }
    return server_.get();
}

Form *Forms::find(const QString &name) const
{
    for (Form *f : loaded_)
        if (f->Name() == name)
            return f;
    return nullptr;
}

Form *Forms::active() const
{
    QWidget *w = QApplication::activeWindow();
    for (Form *f : loaded_)
        if (f->window() == w)
            return f;
    return nullptr;
}

void Forms::add(Form *f)
{
    if (std::find(loaded_.begin(), loaded_.end(), f) == loaded_.end())
        loaded_.push_back(f);
}

void Forms::adopt(Form *f)
{
    if (!adopted(f))
        owned_.emplace_back(f);
}

bool Forms::adopted(const Form *f) const
{
    return std::any_of(owned_.begin(), owned_.end(), [f](const QPointer<Form> &o) { return o.data() == f; });
}

void Forms::forget(Form *f)
{
    loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), f), loaded_.end());
}

void Forms::disown(Form *f)
{
    owned_.erase(std::remove_if(owned_.begin(), owned_.end(),
                                [f](const QPointer<Form> &o) { return o.isNull() || o.data() == f; }),
                 owned_.end());
}


// A clock for the budget that costs next to nothing to read: callers ask millions of times.
static qint64 coarseMs()
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

void DoEvents()
{
    {
        const Running running;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    run().lastEvents = coarseMs();
    if (run().ended)
        throw ProgramEnded{};
}

void WaitEvents()
{
    {
        const Running running;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    run().lastEvents = coarseMs();
    if (run().ended)
        throw ProgramEnded{};
}

void yieldEvents()
{
    constexpr qint64 budgetMs = 10;
    if (coarseMs() - run().lastEvents >= budgetMs)
        DoEvents();
    else if (run().ended)
        throw ProgramEnded{};
}

// Hides every window and leaves the event loop, once.
static void finishProgram()
{
    Run &r = run();
    if (r.ended)
        return;
    r.ended = true;
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    if (r.endHook)
        r.endHook();
    else
        QCoreApplication::exit(0);
}

void End()
{
    finishProgram();
    throw ProgramEnded{};
}

bool ended() { return run().ended; }
void setEndHook(std::function<void()> hook) { run().endHook = std::move(hook); }
void resetEnd()
{
    run().ended = false;
    run().lastEvents = -1000;
}

// Nothing of any window is on the stack: no handler, no DoEvents and no drag runs, and the
// event loop that got here is the program's own, not one that a dialog or a drag runs inside
// something else.
static bool atSafePoint()
{
    return run().depth == 0 && QThread::currentThread()->loopLevel() <= 1;
}

void visitSafePoint();

// Asks the event loop to come back once control has returned to it. Posted, not run from the
// handler's end: the widget that delivered the event (a menu whose item was clicked, a button)
// is still on the stack then, inside its own event function.
static void scheduleSafePoint(int delayMs = 0)
{
    Run &r = run();
    if (r.safePointDue || !QCoreApplication::instance())
        return;
    r.safePointDue = true;
    QTimer::singleShot(delayMs, QCoreApplication::instance(), [] {
        run().safePointDue = false;
        visitSafePoint();
    });
}

void visitSafePoint()
{
    Run &r = run();
    if (r.graveyard.empty() && r.unloadedFrom.empty())
        return;
    if (!atSafePoint()) {
        // Inside a nested loop (a drag, a modal dialog) or an event pump of a handler: look again
        // a little later, without spinning.
        scheduleSafePoint(10);
        return;
    }
    while (!r.unloadedFrom.empty()) {
        Forms *forms = r.unloadedFrom.back();
        r.unloadedFrom.pop_back();
        forms->afterUnload();
        if (r.ended)
            break;
    }
    collectGarbage();
}

void destroyLater(QObject *object)
{
    if (!object)
        return;
    run().graveyard.emplace_back(object);
    scheduleSafePoint();
}

void collectGarbage()
{
    Run &r = run();
    if (r.depth > 0)
        return;
    // A destructor may queue more.
    while (!r.graveyard.empty()) {
        std::vector<QPointer<QObject>> dead;
        dead.swap(r.graveyard);
        for (const QPointer<QObject> &o : dead)
            delete o.data();
    }
}

void Forms::remove(Form *f)
{
    const auto at = std::find(loaded_.begin(), loaded_.end(), f);
    if (at == loaded_.end())
        return;
    loaded_.erase(at);
    Run &r = run();
    if (std::find(r.unloadedFrom.begin(), r.unloadedFrom.end(), this) == r.unloadedFrom.end())
        r.unloadedFrom.push_back(this);
    scheduleSafePoint();
}

void Forms::afterUnload()
{
    if (endWhenNothingShows_ && !loaded_.empty()) {
        const bool shows = std::any_of(loaded_.begin(), loaded_.end(), [](const Form *f) { return f->Visible(); });
        if (!shows) {
            // Nothing could ever show these again: they go with the last window the user saw.
            const std::vector<Form *> hidden = loaded_;
            for (Form *f : hidden)
                runEvent([f] { f->Unload(vbAppWindows); });
        }
    }
    if (loaded_.empty())
        finishProgram();
}

static QRect screenRect()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

float screenWidth() { return toTwips(screenRect().width()); }
float screenHeight() { return toTwips(screenRect().height()); }

QString uiFontFamily()
{
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char *utf8 : {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAexGothic",
                                 "Noto Sans CJK JP", "IPAGothic"}) {
            QString name = QString::fromUtf8(utf8);
            if (families.contains(name))
                return name;
        }
        return QApplication::font().family();
    }();
    return family;
}

QFont uiFont(float points)
{
    QFont f(uiFontFamily());
    f.setPointSizeF(points);
    return f;
}

static MsgBoxHook &msgBoxHook()
{
    static MsgBoxHook hook;
    return hook;
}

void setMsgBoxHook(MsgBoxHook hook) { msgBoxHook() = std::move(hook); }

int MsgBox(const QString &prompt, int buttons, const QString &title)
{
    if (msgBoxHook())
        return msgBoxHook()(prompt, buttons, title);
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QCoreApplication::applicationName() : title,
                    QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")), QMessageBox::Ok);
    box.exec();
    return 1;
}

static UnhandledErrorHook &unhandledHook()
{
    static UnhandledErrorHook hook;
    return hook;
}

void setUnhandledErrorHook(UnhandledErrorHook hook) { unhandledHook() = std::move(hook); }

static void unhandled(int number, const QString &description)
{
    if (unhandledHook()) {
        unhandledHook()(number, description);
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
    if (run().ended)
        return;
    {
        const Running running;
        try {
            handler();
        } catch (const ProgramEnded &) {
        } catch (const vb::RuntimeError &e) {
            unhandled(e.number(), e.description());
        } catch (const std::bad_alloc &) {
            unhandled(vb::ErrOutOfMemory, vb::errorDescription(vb::ErrOutOfMemory));
        } catch (const std::exception &e) {
            unhandled(vb::ErrInternal, QString::fromLocal8Bit(e.what()));
        } catch (...) {
            unhandled(vb::ErrInternal, vb::errorDescription(vb::ErrInternal));
        }
    }
    // What the handler unloaded is destroyed at the next safe point, not here: the widget that
    // delivered the event may still be on the stack.
}

static int &beeps()
{
    static int n = 0;
    return n;
}

void Beep()
{
    ++beeps();
    QApplication::beep();
}

int beepCount() { return beeps(); }

} // namespace forms
