// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Screen.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>

namespace forms {

namespace {

QRect screenRect()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

float screenWidth() { return toTwips(screenRect().width()); }
float screenHeight() { return toTwips(screenRect().height()); }

QString uiFontFamily()
{
    // The installed faces do not change while the program runs.
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char *utf8 :
             {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "IPAGothic"}) {
            QString name = QString::fromUtf8(utf8);
            if (families.contains(name))
                return name;
        }
        return QApplication::font().family();
    }();
    return family;
}

QFont uiFont(float points)
{
    QFont f(uiFontFamily());
    f.setPointSizeF(points);
    return f;
}

} // namespace forms
