// SPDX-License-Identifier: GPL-2.0-or-later
// What the Tavlo benchmarks share: timing and a photograph-like test picture.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double median(std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

inline double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

// The measures named on the command line, or all of them.
inline QStringList chosen(int argc, char **argv, const QStringList &all)
{
    QStringList what;
    for (int i = 1; i < argc; ++i)
        what << QString::fromLocal8Bit(argv[i]);
    return what.isEmpty() ? all : what;
}

// Smooth gradients with fine detail, so that the codecs work for real.
inline QImage scene(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255 / w) ^ (y & 31), (y * 255 / h) ^ (x & 15), ((x + y) * 7) & 255);
    }
    return img;
}

} // namespace bench
