// SPDX-License-Identifier: GPL-2.0-or-later
// A fresh Tavlo with a fixed work area, a recording printer and a recording launcher, and
// pictures and list files made in a temporary folder.
#pragma once

#include "platform/forms/Program.h"
#include "tavlo/Form1.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"
#include "tests/support/TempDir.h"
#include "tests/support/doubles/Doubles.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

using namespace tavlo;

class TavloTest : public ::testing::Test
{
protected:
    TavloTest();
    ~TavloTest() override;

    // Starts a new Tavlo with these arguments (as from the command line).
    void start(const QStringList &args);
    // Runs a handler as the window system does: an End inside it ends the program and the
    // handler, and nothing runs on.
    void act(const std::function<void()> &handler);
    Tavlo &t() { return *tavlo_; }
    MainModule &m() { return tavlo_->module(); }
    Form1 &f() { return tavlo_->form1(); }

    // A bitmap or JPEG of w x h pixels in the temporary folder; returns its full path.
    QString picture(const QString &name, int w = 32, int h = 24);
    // A list file in code page 932 with CR LF line ends; returns its full path.
    QString listFile(const QString &name, const QStringList &lines);
    // Names of the used slots of the picture list.
    QStringList pictureList();
    // The message window's text, or empty when it is not loaded.
    QString message();

    TempDir dir;
    sysinfo::FixedWorkArea area{0, 0, 15360, 11520};
    printer::RecordingPrinter printer;
    shell::RecordingLauncher launcher;
    // Starts programs instead of the recording launcher when set (before start()).
    shell::Launcher *realLauncher = nullptr;
    bool ended = false;

private:
    // A fresh program for each start, as a fresh process has.
    void freshProgram();
    std::optional<forms::Program> program_;
    std::unique_ptr<Tavlo> tavlo_;
};
