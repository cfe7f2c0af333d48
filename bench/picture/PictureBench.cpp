// SPDX-License-Identifier: GPL-2.0-or-later
// picture_bench: loadPicture against a bare QImageReader decode of the same file, for a
// 4000 x 3000 JPEG and a 4000 x 3000 24-bit bitmap made on the spot. "Load and show" is
// loadPicture followed by painting the picture at its natural size into a 1280 x 1024 window
// surface, as the main window's first paint does. Each figure is the median of several runs.
//
//   picture_bench [runs]
#include "platform/picture/picture.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// A picture with a photograph's amount of detail: smooth colour and fine grain.
QImage photoLike(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            line[x] = qRgb(std::clamp(x * 255 / w + grain, 0, 255), std::clamp(y * 255 / h + grain, 0, 255),
                           std::clamp(128 + ((x / 50 + y / 50) % 2) * 60 + grain, 0, 255));
        }
    }
    return img;
}

double elapsedMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void compare(const char *label, const QString &path, int runs)
{
    QImage window(1280, 1024, QImage::Format_ARGB32_Premultiplied);
    // The three take turns, so that a busy machine slows each of them alike.
    std::vector<double> bare, load, show;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(elapsedMs([&] {
            QImageReader reader(path);
            if (reader.read().isNull())
                std::fprintf(stderr, "cannot decode %s\n", qPrintable(path));
        }));
        load.push_back(elapsedMs([&] { picture::loadPicture(path); }));
        show.push_back(elapsedMs([&] {
            const picture::Picture p = picture::loadPicture(path);
            QPainter painter(&window);
            p.draw(painter, QRectF(QPointF(0, 0), QSizeF(p.pixelSize())));
        }));
    }
    const double b = median(bare), l = median(load), s = median(show);
    std::printf("%-26s bare decode %8.1f ms   loadPicture %8.1f ms (%.2f x)   load and show %8.1f ms (%.2f x)\n", label,
                b, l, l / b, s, s / b);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QImageReader::setAllocationLimit(512);

    QTemporaryDir dir;
    const QImage img = photoLike(4000, 3000);
    const QString jpg = dir.filePath(QStringLiteral("big.jpg"));
    const QString bmp = dir.filePath(QStringLiteral("big.bmp"));
    QImageWriter jw(jpg, "jpeg");
    jw.setQuality(90);
    QImageWriter bw(bmp, "bmp");
    if (!jw.write(img) || !bw.write(img)) {
        std::fprintf(stderr, "picture_bench: cannot write the test pictures\n");
        return 1;
    }
    std::printf("median of %d runs\n", runs);
    compare("JPEG 4000 x 3000", jpg, runs);
    compare("bitmap 4000 x 3000 24-bit", bmp, runs);
    return 0;
}
