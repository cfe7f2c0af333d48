// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/FileListBox.h"

#include "platform/vb/vb.h"

#include <QDir>
#include <QFileInfo>

namespace forms {

FileListBox::FileListBox(Form &form, const QString &name, Control *container) : ListBox(form, name, container)
{
    path_ = QDir::currentPath();
    Refresh();
}

void FileListBox::setPath(const QString &path)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isDir())
        vb::raiseError(vb::ErrPathNotFound, QStringLiteral("Path not found: %1").arg(path));
    path_ = QDir::cleanPath(fi.absoluteFilePath());
    Refresh();
    if (PathChange)
        PathChange();
}

void FileListBox::setPattern(const QString &pattern)
{
    pattern_ = pattern;
    Refresh();
    if (PatternChange)
        PatternChange();
}

void FileListBox::Refresh()
{
    QStringList masks;
    for (const QString &m : pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = m.trimmed();
        // "*.*" matches every name, also one without a dot, as it did on the original system.
        masks << (t == QLatin1String("*.*") ? QStringLiteral("*") : t);
    }
    if (masks.isEmpty())
        masks << QStringLiteral("*");
    QDir dir(path_);
    dir.setNameFilters(masks);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    Clear();
    for (const QString &n : names)
        AddItem(n);
    showAppended();
}

} // namespace forms
