// SPDX-License-Identifier: GPL-2.0-or-later
// Files that are not pictures, or damaged ones, fail with error 481 and never crash, hang or
// allocate without bound; names that are no file fail with error 53.
#include "platform/picture/MetafileRecords.h"
#include "tests/platform/picture/PictureTestSupport.h"

#include "tests/support/TempDir.h"
#include "tools/fileformats/BitmapWriter.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/WmfWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using picture::loadPicture;

namespace {

QByteArray sample(const char *name)
{
    QFile f(samplePath(QString::fromUtf8(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A fixed pseudo-random sequence, the same on every run.
struct Lcg
{
    quint32 s;
    quint32 next() { return s = s * 1664525u + 1013904223u; }
};

QByteArray noise(int n, quint32 seed)
{
    Lcg r{seed};
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(r.next() >> 24));
    return b;
}

void put32(QByteArray &b, int at, qint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((quint32(v) >> (8 * i)) & 0xFF);
}

void put16(QByteArray &b, int at, qint16 v)
{
    b[at] = char(quint16(v) & 0xFF);
    b[at + 1] = char(quint16(v) >> 8);
}

class DamagedTest : public ::testing::Test
{
protected:
    int errorLoading(const QByteArray &bytes, const QString &name = QStringLiteral("p.bmp"))
    {
        const QString path = dir.write(name, bytes);
        return errorOf([&] { loadPicture(path); });
    }
    TempDir dir;
};

QImage smallImage()
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(qRgb(10, 200, 30));
    return img;
}

} // namespace

TEST_F(DamagedTest, MissingFilesAndFoldersAreNotFound)
{
    EXPECT_EQ(errorOf([&] { loadPicture(dir.file(QStringLiteral("nothing.bmp"))); }), vb::ErrFileNotFound);
    QDir(dir.path()).mkdir(QStringLiteral("folder.jpg"));
    EXPECT_EQ(errorOf([&] { loadPicture(dir.file(QStringLiteral("folder.jpg"))); }), vb::ErrFileNotFound);
    // An empty name asks for an empty picture.
    EXPECT_TRUE(loadPicture(QString()).isEmpty());
}

TEST_F(DamagedTest, WhatIsNoPictureAtAll)
{
    EXPECT_EQ(errorLoading(QByteArray()), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading("BM"), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading("just some text\r\n", QStringLiteral("t.jpg")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(noise(4096, 1), QStringLiteral("r.wmf")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(noise(4096, 2), QStringLiteral("r.emf")), vb::ErrInvalidPicture);
    // Formats that Qt reads but the picture list does not admit.
    EXPECT_EQ(errorLoading(QByteArray("\x89PNG\r\n\x1a\n", 8) + noise(100, 3), QStringLiteral("p.bmp")),
              vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(QByteArray("GIF89a") + noise(100, 4), QStringLiteral("g.bmp")), vb::ErrInvalidPicture);
}

TEST_F(DamagedTest, BitmapsWhoseHeaderLies)
{
    const QByteArray good = bitmapfile::bmp24(smallImage());
    ASSERT_EQ(errorLoading(good), 0);
    auto withSize = [&](qint32 w, qint32 h) {
        QByteArray b = good;
        put32(b, 18, w);
        put32(b, 22, h);
        return b;
    };
    EXPECT_EQ(errorLoading(withSize(60000, 60000)), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(withSize(8193, 8193)), vb::ErrInvalidPicture); // over 64 Mi pixels
    EXPECT_EQ(errorLoading(withSize(70000, 1)), vb::ErrInvalidPicture);   // wider than 65535
    EXPECT_EQ(errorLoading(withSize(-40, 30)), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(withSize(40, qint32(0x80000000))), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(withSize(0x7FFFFFFF, 0x7FFFFFFF)), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(withSize(40, 0)), vb::ErrInvalidPicture);
    // A body shorter than the rows the header announces, and one that starts past the end.
    EXPECT_EQ(errorLoading(good.left(good.size() - 100)), vb::ErrInvalidPicture);
    QByteArray farOffset = good;
    put32(farOffset, 10, good.size() + 10);
    EXPECT_EQ(errorLoading(farOffset), vb::ErrInvalidPicture);
    QByteArray oddDepth = good;
    put16(oddDepth, 28, 7);
    EXPECT_EQ(errorLoading(oddDepth), vb::ErrInvalidPicture);
    // Top-down rows are fine, and load the right way up.
    QByteArray topDown = withSize(40, -30);
    EXPECT_EQ(errorLoading(topDown), 0);
}

TEST_F(DamagedTest, RunLengthBitmapsCutShort)
{
    QImage img = smallImage().convertToFormat(QImage::Format_Indexed8);
    img.setPixel(5, 5, 0);
    const QByteArray rle8 = bitmapfile::bmpRle8(img);
    ASSERT_EQ(errorLoading(rle8, QStringLiteral("a.rle")), 0);
    EXPECT_EQ(errorLoading(rle8.left(rle8.size() - 40), QStringLiteral("a.rle")), vb::ErrInvalidPicture);
    const QByteArray rle4 = bitmapfile::bmpRle4(img);
    ASSERT_EQ(errorLoading(rle4, QStringLiteral("b.rle")), 0);
    EXPECT_EQ(errorLoading(rle4.left(rle4.size() - 20), QStringLiteral("b.rle")), vb::ErrInvalidPicture);
    // A run-length bitmap claiming a huge size with a two-byte body.
    QByteArray huge = rle8;
    put32(huge, 18, 60000);
    put32(huge, 22, 60000);
    EXPECT_EQ(errorLoading(huge, QStringLiteral("c.rle")), vb::ErrInvalidPicture);
}

TEST_F(DamagedTest, JpegCutShortOrWithoutImage)
{
    const QByteArray jpg = sample("photo.jpg");
    ASSERT_EQ(errorLoading(jpg, QStringLiteral("a.jpg")), 0);
    EXPECT_EQ(errorLoading(jpg.left(jpg.size() / 2), QStringLiteral("a.jpg")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(jpg.left(jpg.size() - 2), QStringLiteral("a.jpg")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(jpg.left(20), QStringLiteral("a.jpg")), vb::ErrInvalidPicture);
    // Bytes after the end marker do not matter.
    EXPECT_EQ(errorLoading(jpg + noise(64, 5), QStringLiteral("a.jpg")), 0);
}

TEST_F(DamagedTest, IconsWithBrokenDirectories)
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(qRgba(200, 0, 0, 255));
    const QByteArray ico = bitmapfile::ico({{img, 32}});
    ASSERT_EQ(errorLoading(ico, QStringLiteral("a.ico")), 0);
    QByteArray none = ico;
    put16(none, 4, 0);
    EXPECT_EQ(errorLoading(none, QStringLiteral("a.ico")), vb::ErrInvalidPicture);
    QByteArray outside = ico;
    put32(outside, 6 + 12, ico.size() + 100);
    EXPECT_EQ(errorLoading(outside, QStringLiteral("a.ico")), vb::ErrInvalidPicture);
    QByteArray hugeImage = ico;
    put32(hugeImage, 22 + 4, 100000);
    put32(hugeImage, 22 + 8, 200000);
    EXPECT_EQ(errorLoading(hugeImage, QStringLiteral("a.ico")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(ico.left(ico.size() / 2), QStringLiteral("a.ico")), vb::ErrInvalidPicture);
}

TEST_F(DamagedTest, WindowsMetafilesWithBadFramesOrRecords)
{
    WmfWriter w;
    w.selectObject(w.createBrush(WmfWriter::BrushSolid, 0xFF0000));
    w.rectangle(QRect(10, 10, 100, 100));
    const QByteArray good = w.finish(QRect(0, 0, 200, 200), 1440);
    ASSERT_EQ(errorLoading(good, QStringLiteral("a.wmf")), 0);
    EXPECT_EQ(errorLoading(w.finish(QRect(0, 0, 0, 200), 1440), QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(w.finish(QRect(50, 50, 100, 0), 1440), QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    QByteArray noInch = good;
    put16(noInch, picture::wmf::placeable::Inch, 0);
    EXPECT_EQ(errorLoading(noInch, QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    // Cut inside a record, and cut before the end record.
    EXPECT_EQ(errorLoading(good.left(good.size() - 10), QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(good.left(good.size() - 6), QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    // A polygon claiming more points than its record holds.
    WmfWriter p;
    p.record(picture::wmf::Polygon, {1000, 0, 0, 10, 10});
    EXPECT_EQ(errorLoading(p.finish(QRect(0, 0, 200, 200), 1440), QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    // A record of zero size would loop for ever.
    QByteArray zero = good;
    put32(zero, picture::wmf::placeable::Size + picture::wmf::header::Size, 0);
    EXPECT_EQ(errorLoading(zero, QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
    // A plain metafile that draws nothing has no size.
    EXPECT_EQ(errorLoading(WmfWriter().finishPlain(), QStringLiteral("a.wmf")), vb::ErrInvalidPicture);
}

TEST_F(DamagedTest, EnhancedMetafilesWithBadFramesOrRecords)
{
    EmfWriter e;
    e.rectangle(QRect(10, 10, 50, 50));
    const QByteArray good = e.finish(QRect(0, 0, 2540, 2540));
    ASSERT_EQ(errorLoading(good, QStringLiteral("a.emf")), 0);
    EXPECT_EQ(errorLoading(e.finish(QRect(0, 0, 0, 2540)), QStringLiteral("a.emf")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(e.finish(QRect(100, 100, 2540, -50)), QStringLiteral("a.emf")), vb::ErrInvalidPicture);
    // A frame beyond the pixel bound.
    EXPECT_EQ(errorLoading(e.finish(QRect(0, 0, 2000000000, 2000000000)), QStringLiteral("a.emf")),
              vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(good.left(good.size() - 8), QStringLiteral("a.emf")), vb::ErrInvalidPicture);
    EXPECT_EQ(errorLoading(good.left(100), QStringLiteral("a.emf")), vb::ErrInvalidPicture);
    QByteArray oddRecord = good;
    put32(oddRecord, picture::emf::header::WithMicrometres + picture::emf::RecordSize, 22);
    EXPECT_EQ(errorLoading(oddRecord, QStringLiteral("a.emf")), vb::ErrInvalidPicture);
    EmfWriter p;
    // Bounds, then a count of 65535 points where one follows.
    QByteArray polygon(16, '\0');
    polygon.append(QByteArray("\xff\xff\x00\x00\x00\x00\x00\x00", 8));
    p.record(picture::emf::Polygon16, polygon);
    EXPECT_EQ(errorLoading(p.finish(QRect(0, 0, 2540, 2540)), QStringLiteral("a.emf")), vb::ErrInvalidPicture);
}

TEST_F(DamagedTest, DamageAnywhereNeverCrashes)
{
    // Every sample kind with bytes changed at pseudo-random places, and cut at many lengths: each
    // either loads or fails with 481. Run under the address sanitizer this is the real test.
    const char *names[] = {"drawing.wmf", "drawing.emf", "rle8.rle", "rle4.rle",
                           "icon.ico",    "pointer.cur", "photo.jpg"};
    Lcg r{42};
    int loaded = 0;
    int refused = 0;
    for (const char *name : names) {
        const QByteArray original = sample(name);
        ASSERT_FALSE(original.isEmpty()) << name;
        for (int round = 0; round < 120; ++round) {
            QByteArray b = original;
            const int changes = 1 + int(r.next() % 8);
            for (int k = 0; k < changes; ++k)
                b[int(r.next() % quint32(b.size()))] = char(r.next() >> 24);
            if (round % 3 == 0)
                b.truncate(int(r.next() % quint32(b.size())));
            const int err = errorLoading(b, QStringLiteral("fuzz.bin"));
            EXPECT_TRUE(err == 0 || err == vb::ErrInvalidPicture) << name << " round " << round << ": " << err;
            (err == 0 ? loaded : refused) += 1;
        }
    }
    // Both outcomes occur: the damage is neither always fatal nor always harmless.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}
