// SPDX-License-Identifier: GPL-2.0-or-later
// Small helpers shared by the picture tests.
#pragma once

#include "platform/picture/picture.h"
#include "platform/vb/vb.h"
#include "tests/support/Errors.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <ctime>
#include <functional>

// Processor time this process has used, in milliseconds: how much work a picture cost, whatever
// else the machine runs meanwhile.
inline qint64 processorMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

inline QString samplePath(const QString &name) { return QStringLiteral(SUITE_SOURCE_DIR "/samples/") + name; }

// Whether a pixel is near a colour, each channel within tol, and opaque.
inline bool near(QRgb px, QColor want, int tol = 40)
{
    return qAlpha(px) > 200 && std::abs(qRed(px) - want.red()) <= tol && std::abs(qGreen(px) - want.green()) <= tol &&
           std::abs(qBlue(px) - want.blue()) <= tol;
}
