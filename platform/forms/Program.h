// SPDX-License-Identifier: GPL-2.0-or-later
// One running program of the window layer: its event loop, its user interaction and what it
// measured of the window system. main() makes one after the application object and keeps it
// for the program's life; a test makes a fresh one, so that nothing one test did (an End, a
// hook, a beep, the time budget of DoEvents) reaches the next. The window layer's free
// functions (DoEvents, End, MsgBox, Beep...) act on the current program: the one made last that
// is still alive. The collections of windows (Forms) belong to the program's own objects.
#pragma once

#include "platform/forms/EventLoop.h"
#include "platform/forms/Interaction.h"

#include <QMargins>

namespace forms {

class Program
{
public:
    // Becomes the current program.
    Program();
    // The one current before becomes current again. Programs end in the reverse order of their
    // making.
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // The current program. Code that made none gets one for the rest of the process.
    static Program &current();

    EventLoop &loop() { return loop_; }
    Interaction &interaction() { return interaction_; }
    // The window system's frame around a top-level window, as last measured on a shown window:
    // the guess for windows not yet shown.
    QMargins &lastDecorations() { return decorations_; }

private:
    Program *previous_;
    EventLoop loop_;
    Interaction interaction_;
    QMargins decorations_;
};

} // namespace forms
