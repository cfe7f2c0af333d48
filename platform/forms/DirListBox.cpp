// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/DirListBox.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QStyle>

namespace forms {

DirListBox::DirListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new QListWidget, container)
{
    list_ = static_cast<QListWidget *>(widget());
    list_->setFont(uiFont(9));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setUniformItemSizes(true);
    watch(list_->viewport());
    QObject::connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        listIndex_ = indexOfRow(list_->row(item));
        if (Click)
            runEvent(Click);
    });
    QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            listIndex_ = indexOfRow(row);
    });
    setPath(QDir::currentPath());
}

QString DirListBox::List(int index) const
{
    if (index >= 0)
        return index < subfolders_.size() ? QDir(path_).filePath(subfolders_.at(index)) : QString();
    const int up = -index - 1; // 0 the current folder, 1 its parent, ...
    return up < above_.size() ? above_.at(above_.size() - 1 - up) : QString();
}

int DirListBox::rowOf(int index) const { return int(above_.size()) + index; }

int DirListBox::indexOfRow(int row) const { return row - int(above_.size()); }

void DirListBox::setListIndex(int index)
{
    if (index < -int(above_.size()) || index >= ListCount())
        vb::raiseError(vb::ErrInvalidPropertyValue);
    listIndex_ = index;
    list_->setCurrentRow(rowOf(index));
    if (Click)
        Click();
}

void DirListBox::setPath(const QString &path)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isDir())
        vb::raiseError(vb::ErrPathNotFound, QStringLiteral("Path not found: %1").arg(path));
    const QString clean = QDir::cleanPath(fi.absoluteFilePath());
    const bool changed = clean != path_;
    path_ = clean;
    fill();
    if (changed && Change)
        Change();
}

void DirListBox::Refresh() { fill(); }

void DirListBox::fill()
{
    above_.clear();
    QString p = path_;
    for (;;) {
        above_.prepend(p);
        if (p == QLatin1String("/"))
            break;
        const int slash = p.lastIndexOf(QLatin1Char('/'));
        p = slash <= 0 ? QStringLiteral("/") : p.left(slash);
    }
    subfolders_ = QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    const QIcon open = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    list_->clear();
    for (int i = 0; i < above_.size(); ++i) {
        const QString name = i == 0 ? above_.at(i) : QFileInfo(above_.at(i)).fileName();
        auto *item = new QListWidgetItem(open, QString(i * 2, QLatin1Char(' ')) + name);
        list_->addItem(item);
    }
    const QString indent(int(above_.size()) * 2, QLatin1Char(' '));
    for (const QString &s : subfolders_)
        list_->addItem(new QListWidgetItem(closed, indent + s));
    listIndex_ = -1;
    list_->setCurrentRow(int(above_.size()) - 1);
}

// Enter raises Click for the highlighted entry, as a click on it does.
bool DirListBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto *ke = static_cast<QKeyEvent *>(event);
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && Click) {
            Control::eventFilter(watched, event);
            runEvent(Click);
            return true;
        }
    }
    return Control::eventFilter(watched, event);
}

} // namespace forms
