// Program-wide services of the window layer: the collection of loaded windows, DoEvents, the
// screen, the message box and the beep, and the unit conversion between twips and pixels.
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

#include "platform/link/link.h"

#include <memory>

class QFont;
class QWidget;

namespace forms {

class Form;

constexpr float kTwipsPerPixel = 15.0f; // 96 dots per inch

// Twips to whole pixels as the widgets take them (negative positions included).
inline int toPixels(float twips) { return qRound(twips / kTwipsPerPixel); }
inline float toTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }

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
    link::LinkServer *linkServer();
    QString linkError() const { return linkError_; }

    Forms();
    ~Forms();

private:
    friend class Form;
    void add(Form *f);
    void remove(Form *f);
    std::vector<Form *> loaded_;
    QString linkApplication_;
    std::unique_ptr<link::LinkServer> server_;
    bool serverTried_ = false;
    QString linkError_;
};

// Lets pending window events run, as the program's long operations do between steps.
void DoEvents();

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

// Runs an event handler for the window system. A run-time error that the handler lets through
// is reported and ends the program, as the run time does with an error no handler traps.
void runEvent(const std::function<void()> &handler);
using UnhandledErrorHook = std::function<void(int number, const QString &description)>;
// Replaces the report-and-end (tests, or a program with its own last resort).
void setUnhandledErrorHook(UnhandledErrorHook hook);

// The system beep; tests count it.
void Beep();
int beepCount();

} // namespace forms
