// SPDX-License-Identifier: GPL-2.0-or-later
// A folder list: the folders above the current one (from the root down, each indented one step
// further) and below it (its subfolders, sorted without regard to case, hidden ones left out).
// ListIndex counts as the run time does: -1 the current folder, -2 its parent and so on up to
// the root, 0 to ListCount - 1 the subfolders; List(i) is the full path of entry i. A click on an
// entry makes it the ListIndex and raises Click; Enter raises Click for the highlighted entry.
// The folders are read at once when Path is set (never on another thread), so the list is
// complete when Path returns.
#pragma once

#include "platform/forms/Control.h"

#include <QStringList>

class QListWidget;

namespace forms {

class DirListBox : public Control
{
    Q_OBJECT
public:
    DirListBox(Form &form, const QString &name, Control *container = nullptr);

    QString Path() const { return path_; }
    // A folder that does not exist raises error 76 and leaves the list; a new path raises Change.
    void setPath(const QString &path);
    int ListCount() const { return int(subfolders_.size()); }
    QString List(int index) const;
    int ListIndex() const { return listIndex_; }
    void setListIndex(int index);
    // Reads the folders again.
    void Refresh();

    std::function<void()> Change;

protected:
    bool clickFromMouse() const override { return false; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill();
    int rowOf(int index) const;
    int indexOfRow(int row) const;
    QListWidget *list_;
    QString path_;
    QStringList above_; // root first, the current folder last
    QStringList subfolders_;
    int listIndex_ = -1;
};

} // namespace forms
