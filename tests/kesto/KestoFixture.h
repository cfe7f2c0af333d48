// SPDX-License-Identifier: GPL-2.0-or-later
// A fresh Kesto started in a temporary folder (the file browser shows it), with a socket
// folder of its own, message boxes recorded, and helpers that act through the real widgets.
#pragma once

#include "kesto/Form1.h"
#include "kesto/Kesto.h"
#include "platform/forms/Program.h"
#include "tests/support/Drops.h"
#include "tests/support/TempDir.h"
#include "tests/support/doubles/Doubles.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kesto;

class KestoTest : public ::testing::Test
{
protected:
    KestoTest();
    ~KestoTest() override;

    // Makes a new Kesto without starting it.
    void create();
    // Starts Kesto (a new one unless created) with these arguments (as from the command line).
    void start(const QStringList &args = {});
    Kesto &k() { return *kesto_; }
    Form1 &f() { return kesto_->form1(); }

    QStringList items();
    // Adds items straight into the list, as earlier drops would have.
    void fill(const QStringList &names);
    // Clicks items of the collector list (with keys held) as the user does.
    void clickItem(int index, Qt::KeyboardModifiers keys = Qt::NoModifier);
    // A key pressed in a control that has the focus.
    void press(forms::Control &c, Qt::Key key, Qt::KeyboardModifiers keys = Qt::NoModifier);
    // Message boxes shown so far (after the events that caused them).
    QStringList shownMessages();
    // A file manager's drop of files, and an editor's drop of text, onto a control.
    droptest::Outcome dropFiles(forms::Control &on, const QStringList &paths,
                                Qt::KeyboardModifiers keys = Qt::NoModifier);
    droptest::Outcome dropText(forms::Control &on, const QString &text);
    // A right-button drag of the list's selection; hook says where it lands and what it answers.
    void dragList(std::function<int(const QMimeData &, int)> hook);
    // The same, dropped onto target with keys held.
    void dragListOnto(forms::Control &target, Qt::KeyboardModifiers keys = Qt::NoModifier);

    TempDir dir;
    TempDir sockets;
    shell::RecordingLauncher recording;
    shell::Launcher *launcher = &recording;
    QStringList messages;
    bool ended = false;

private:
    forms::Program program_;
    std::unique_ptr<ChangeDir> cwd_;
    std::unique_ptr<Kesto> kesto_;
};
