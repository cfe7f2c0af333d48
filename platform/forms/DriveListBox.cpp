// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/DriveListBox.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Screen.h"

#include <QComboBox>
#include <QDir>
#include <QStorageInfo>

namespace forms {

static bool browsable(const QStorageInfo &v)
{
    if (!v.isValid() || !v.isReady())
        return false;
    if (v.isRoot())
        return true;
    const QString at = v.rootPath();
    for (const char *system : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"})
        if (at == QLatin1String(system) || at.startsWith(QLatin1String(system) + QLatin1Char('/')))
            return at.startsWith(QLatin1String("/run/media/"));
    return v.device().startsWith("/dev/");
}

QStringList DriveListBox::volumes()
{
    QStringList out{QStringLiteral("/")};
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes())
        if (browsable(v) && !out.contains(v.rootPath()))
            out << v.rootPath();
    return out;
}

QString DriveListBox::volumeOf(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QString best = QStringLiteral("/");
    for (const QString &v : volumes()) {
        const bool inside = clean == v || clean.startsWith(v.endsWith(QLatin1Char('/')) ? v : v + QLatin1Char('/'));
        if (inside && v.size() > best.size())
            best = v;
    }
    return best;
}

DriveListBox::DriveListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new QComboBox, container)
{
    combo_ = static_cast<QComboBox *>(widget());
    combo_->setFont(uiFont(9));
    Refresh();
    QObject::connect(combo_, &QComboBox::activated, this, [this](int index) { runEvent([&] { choose(index); }); });
    setDrive(QDir::currentPath());
}

QString DriveListBox::List(int index) const
{
    return index >= 0 && index < volumes_.size() ? volumes_.at(index) : QString();
}

void DriveListBox::Refresh()
{
    volumes_ = volumes();
    combo_->clear();
    for (const QString &v : volumes_) {
        const QString label = QStorageInfo(v).displayName();
        combo_->addItem(label.isEmpty() || label == v ? v : QStringLiteral("%1 [%2]").arg(v, label));
    }
    const int at = volumes_.indexOf(drive_);
    if (at >= 0)
        combo_->setCurrentIndex(at);
}

void DriveListBox::setDrive(const QString &path)
{
    const int at = volumes_.indexOf(volumeOf(path));
    choose(at < 0 ? 0 : at);
}

void DriveListBox::choose(int index)
{
    if (index < 0 || index >= volumes_.size())
        return;
    combo_->setCurrentIndex(index);
    if (volumes_.at(index) == drive_)
        return;
    drive_ = volumes_.at(index);
    if (Change)
        Change();
}

} // namespace forms
