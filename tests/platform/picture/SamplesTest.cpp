// SPDX-License-Identifier: GPL-2.0-or-later
// Every sample picture loads as the kind and at the natural size it is made to have, whatever its
// extension, and shows what it is made to show.
#include "tests/platform/picture/PictureTestSupport.h"

#include "platform/cp932/cp932.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using picture::Kind;

namespace {

struct Sample
{
    const char *file;
    Kind kind;
    QSize pixels;
};

const Sample samples[] = {
    {"bitmap24.bmp", Kind::Bitmap, {320, 240}},     {"rle8.rle", Kind::Bitmap, {320, 240}},
    {"rle4.rle", Kind::Bitmap, {160, 120}},         {"photo.jpg", Kind::Bitmap, {320, 240}},
    {"写真_富士.jpg", Kind::Bitmap, {400, 300}},    {"tall.jpg", Kind::Bitmap, {600, 1800}},
    {"wide.jpg", Kind::Bitmap, {3000, 500}},        {"drawing.wmf", Kind::Metafile, {320, 240}},
    {"drawing.emf", Kind::EnhMetafile, {336, 240}}, {"icon.ico", Kind::Icon, {32, 32}},
    {"pointer.cur", Kind::Icon, {32, 32}},
};

QByteArray readSample(const QString &name)
{
    QFile f(samplePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(PictureSamples, EveryKindLoadsAtItsNaturalSize)
{
    for (const Sample &s : samples) {
        SCOPED_TRACE(s.file);
        const picture::Picture p = picture::loadPicture(samplePath(QString::fromUtf8(s.file)));
        EXPECT_EQ(p.kind(), s.kind);
        EXPECT_FALSE(p.isEmpty());
        EXPECT_EQ(p.pixelSize(), s.pixels);
        // A picture box takes 15 twips a pixel; both metafile frames are whole pixels.
        EXPECT_DOUBLE_EQ(p.twipsSize().width(), s.pixels.width() * 15.0);
        EXPECT_DOUBLE_EQ(p.twipsSize().height(), s.pixels.height() * 15.0);
        EXPECT_EQ(p.toImage().size(), s.pixels);
    }
}

TEST(PictureSamples, ContentNotExtensionDecidesTheKind)
{
    TempDir dir;
    const QString bmpAsJpg =
        dir.write(QStringLiteral("really-a-bitmap.jpg"), readSample(QStringLiteral("bitmap24.bmp")));
    const QString emfAsWmf =
        dir.write(QStringLiteral("really-enhanced.wmf"), readSample(QStringLiteral("drawing.emf")));
    const QString curAsIco = dir.write(QStringLiteral("NOEXT"), readSample(QStringLiteral("pointer.cur")));
    EXPECT_EQ(picture::loadPicture(bmpAsJpg).kind(), Kind::Bitmap);
    EXPECT_EQ(picture::loadPicture(emfAsWmf).kind(), Kind::EnhMetafile);
    EXPECT_EQ(picture::loadPicture(curAsIco).kind(), Kind::Icon);
}

TEST(PictureSamples, ShowWhatTheyAreMadeToShow)
{
    // The red house and the sun on the 24-bit bitmap.
    const QImage bmp = picture::loadPicture(samplePath(QStringLiteral("bitmap24.bmp"))).toImage();
    EXPECT_TRUE(near(bmp.pixel(185, 160), QColor(200, 40, 40), 10));
    EXPECT_TRUE(near(bmp.pixel(260, 45), QColor(255, 215, 0), 10)); // the sun

    // The metafiles: the WMF's red square and green disc, the EMF's orange disc and red line.
    const QImage wmf = picture::loadPicture(samplePath(QStringLiteral("drawing.wmf"))).toImage();
    EXPECT_TRUE(near(wmf.pixel(75, 95), QColor(0xE0, 0x20, 0x20)));
    EXPECT_TRUE(near(wmf.pixel(175, 95), QColor(0x30, 0xA0, 0x40)));
    EXPECT_TRUE(near(wmf.pixel(5, 235), QColor(0xFF, 0xF8, 0xDC))); // its paper fills the frame
    const QImage emf = picture::loadPicture(samplePath(QStringLiteral("drawing.emf"))).toImage();
    EXPECT_TRUE(near(emf.pixel(75, 115), QColor(0xF0, 0x80, 0x20)));
    EXPECT_TRUE(near(emf.pixel(168, 185), QColor(0xC0, 0x20, 0x20)));

    // The icon shows its 32 x 32 image (the blue tile), not the 16 x 16 green disc before it.
    const QImage ico = picture::loadPicture(samplePath(QStringLiteral("icon.ico"))).toImage();
    EXPECT_TRUE(near(ico.pixel(3, 16), QColor(30, 90, 200), 5));
    EXPECT_EQ(qAlpha(ico.pixel(0, 0)), 0);
    // The cursor: a white arrow with a black edge on a transparent ground.
    const QImage cur = picture::loadPicture(samplePath(QStringLiteral("pointer.cur"))).toImage();
    EXPECT_TRUE(near(cur.pixel(2, 2), Qt::black, 5));
    EXPECT_TRUE(near(cur.pixel(5, 12), Qt::white, 5));
    EXPECT_EQ(qAlpha(cur.pixel(25, 5)), 0);
}

TEST(PictureSamples, ListFileNamesThePicturesInCodePage932)
{
    const QByteArray bytes = readSample(QStringLiteral("samples.lst"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
    const QStringList lines = cp932::decode(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith(u';'));
    EXPECT_TRUE(lines.contains(QStringLiteral("写真_富士.jpg")));
    EXPECT_TRUE(lines.contains(QStringLiteral("\"drawing.wmf\"")));
    QStringList missing;
    for (QString line : lines) {
        if (line.startsWith(u';'))
            continue;
        line.remove(u'"');
        if (!QFileInfo::exists(samplePath(line)))
            missing << line;
        else
            EXPECT_FALSE(picture::loadPicture(samplePath(line)).isEmpty()) << line.toStdString();
    }
    EXPECT_EQ(missing, QStringList{QStringLiteral("missing.jpg")});
}
