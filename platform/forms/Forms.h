// SPDX-License-Identifier: GPL-2.0-or-later
// A program's collection of loaded windows, and the Link server its windows share.
#pragma once

#include "platform/link/link.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

namespace forms {

class Form;

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
    friend class EventLoop;
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

} // namespace forms
