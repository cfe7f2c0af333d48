// SPDX-License-Identifier: GPL-2.0-or-later
// The sample generator: its run-length, icon and cursor writers give files that decode to the
// pixels they were given, and it makes the same bytes every time.
#include "tests/platform/picture/PictureTestSupport.h"

#include "tests/support/TempDir.h"
#include "tools/fileformats/BitmapWriter.h"
#include "tools/mksamples/Samples.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// An indexed image mixing long runs, short runs and lone pixels, of the given palette size.
QImage mixedRows(int w, int h, int colours)
{
    QImage img(w, h, QImage::Format_Indexed8);
    QVector<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.append(qRgb(i * 255 / colours, 255 - i * 255 / colours, (i * 97) % 256));
    img.setColorTable(palette);
    quint32 seed = quint32(w * 31 + h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int run = x < w / 3 ? 0 : (x < 2 * w / 3 ? (x / 2) % colours : int(seed >> 24) % colours);
            img.setPixel(x, y, uint(y % 2 ? (run + y) % colours : run));
        }
    }
    return img;
}

} // namespace

TEST(SampleGenerator, RunLengthBitmapsDecodeToTheirPixels)
{
    TempDir dir;
    for (int w : {1, 2, 3, 5, 16, 17, 255, 256, 300}) {
        for (bool fourBit : {false, true}) {
            SCOPED_TRACE(::testing::Message() << w << (fourBit ? " RLE4" : " RLE8"));
            const QImage src = mixedRows(w, 5, fourBit ? 16 : 200);
            const QByteArray file = fourBit ? bitmapfile::bmpRle4(src) : bitmapfile::bmpRle8(src);
            const QImage got = picture::loadPicture(dir.write(QStringLiteral("r.rle"), file)).toImage();
            ASSERT_EQ(got.size(), src.size());
            int wrong = 0;
            for (int y = 0; y < src.height(); ++y)
                for (int x = 0; x < src.width(); ++x)
                    wrong += (got.pixel(x, y) | 0xFF000000u) != (src.pixel(x, y) | 0xFF000000u);
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(SampleGenerator, IconImagesKeepTheirColoursAndTransparency)
{
    TempDir dir;
    for (int bits : {1, 4, 8, 32}) {
        SCOPED_TRACE(bits);
        QImage img(20, 12, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        for (int x = 2; x < 18; ++x) {
            img.setPixel(x, 3, qRgb(255, 255, 255));
            img.setPixel(x, 8, bits == 1 ? qRgb(0, 0, 0) : qRgb(200, 30, 60));
        }
        const QString ico = dir.write(QStringLiteral("i.ico"), bitmapfile::ico({{img, bits}}));
        const QString cur = dir.write(QStringLiteral("c.cur"), bitmapfile::cur({img, bits}, QPoint(2, 3)));
        for (const QString &path : {ico, cur}) {
            const QImage got = picture::loadPicture(path).toImage();
            ASSERT_EQ(got.size(), img.size());
            EXPECT_EQ(qAlpha(got.pixel(0, 0)), 0);
            EXPECT_TRUE(near(got.pixel(5, 3), Qt::white, 0));
            EXPECT_TRUE(near(got.pixel(5, 8), QColor(img.pixel(5, 8)), 0));
        }
    }
}

TEST(SampleGenerator, MakesTheSameBytesEveryTime)
{
    const QVector<SampleFile> first = makeSamples();
    const QVector<SampleFile> second = makeSamples();
    ASSERT_EQ(first.size(), second.size());
    QSet<QString> names;
    for (int i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name.toStdString();
        names.insert(first[i].name);
    }
    // Every picture the list files name is made, and the missing one is not.
    for (const char *n : {"bitmap24.bmp", "rle8.rle", "photo.jpg", "写真_富士.jpg", "drawing.wmf", "drawing.emf",
                          "icon.ico", "pointer.cur", "tall.jpg", "wide.jpg", "samples.lst", "large.lst"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(n))) << n;
    EXPECT_FALSE(names.contains(QStringLiteral("missing.jpg")));
}
