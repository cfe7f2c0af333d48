// SPDX-License-Identifier: GPL-2.0-or-later
// A drive list. Linux has no drive letters: the list shows the file-system root "/" first,
// then every other mounted volume a user would browse (a real device, ready; no pseudo file
// systems). Drive is the chosen volume's mount point; the drive of a path is the listed volume
// whose mount point is the longest prefix of the path.
#pragma once

#include "platform/forms/Control.h"

#include <QStringList>

class QComboBox;

namespace forms {

class DriveListBox : public Control
{
    Q_OBJECT
public:
    DriveListBox(Form &form, const QString &name, Control *container = nullptr);

    QString Drive() const { return drive_; }
    // Chooses the volume of a path (a mount point names itself) and raises Change when the
    // choice changed.
    void setDrive(const QString &path);
    int ListCount() const { return int(volumes_.size()); }
    QString List(int index) const;
    void Refresh();

    // The listed volumes' mount points, root first, and the volume that holds a path.
    static QStringList volumes();
    static QString volumeOf(const QString &path);

    std::function<void()> Change;

private:
    void choose(int index);
    QComboBox *combo_;
    QStringList volumes_;
    QString drive_;
};

} // namespace forms
