// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sysinfo/sysinfo.h"

#include <QGuiApplication>
#include <QScreen>

namespace sysinfo {

ScreenInfo::ScreenInfo()
{
    watchScreens();
    connect(qApp, &QGuiApplication::screenAdded, this, [this] {
        watchScreens();
        emit displayChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { emit displayChanged(); });
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this] { emit displayChanged(); });
}

void ScreenInfo::watchScreens()
{
    for (QScreen *s : QGuiApplication::screens()) {
        connect(s, &QScreen::geometryChanged, this, &SystemInfo::displayChanged, Qt::UniqueConnection);
        connect(s, &QScreen::availableGeometryChanged, this, &SystemInfo::displayChanged, Qt::UniqueConnection);
    }
}

WorkArea ScreenInfo::workArea() const
{
    const QScreen *s = QGuiApplication::primaryScreen();
    const QRect r = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    return {float(r.left()) * 15, float(r.top()) * 15, float(r.width()) * 15, float(r.height()) * 15};
}

} // namespace sysinfo
