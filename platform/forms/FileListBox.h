// SPDX-License-Identifier: GPL-2.0-or-later
// A file list: the files of Path whose names match Pattern (several masks separated by ";",
// without regard to case), sorted by name without regard to case; hidden files are left out.
// Selection as in a list box (MultiSelect). The files are read at once when Path or Pattern
// changes and on Refresh (never on another thread), so the list is complete when they return.
#pragma once

#include "platform/forms/ListBox.h"

namespace forms {

class FileListBox : public ListBox
{
    Q_OBJECT
public:
    FileListBox(Form &form, const QString &name, Control *container = nullptr);

    QString Path() const { return path_; }
    // A folder that does not exist raises error 76 and leaves the list.
    void setPath(const QString &path);
    QString Pattern() const { return pattern_; }
    void setPattern(const QString &pattern);
    // The current item's name.
    QString FileName() const { return Text(); }
    void Refresh();

    std::function<void()> PathChange;
    std::function<void()> PatternChange;

private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace forms
