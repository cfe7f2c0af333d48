// SPDX-License-Identifier: GPL-2.0-or-later
// Pictures made as other programs make them, kept in tests/platform/picture/faults (written by
// mksamples --faults): each was once drawn wrongly or refused, or (named "damaged") taken
// although it holds less than it announces.
#include "tests/platform/picture/PictureTestSupport.h"

#include "platform/picture/MetafileRecords.h"
#include "platform/picture/PictureData.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/Faults.h"
#include "tools/mksamples/WmfWriter.h"

#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cmath>

using picture::Kind;
using picture::Picture;

namespace {

QString faultPath(const QString &name)
{
    return QStringLiteral(SUITE_SOURCE_DIR "/tests/platform/picture/faults/") + name;
}

// The picture kept under that name, drawn at its natural size.
QImage drawn(const QString &name, Kind kind)
{
    const Picture pic = picture::loadPicture(faultPath(name));
    EXPECT_EQ(pic.kind(), kind) << name.toStdString();
    return pic.toImage(pic.pixelSize()).convertToFormat(QImage::Format_ARGB32);
}

::testing::AssertionResult colourAt(const QImage &img, int x, int y, QColor want, int tol = 40)
{
    if (img.isNull() || !img.rect().contains(x, y))
        return ::testing::AssertionFailure() << "no pixel (" << x << "," << y << ")";
    const QRgb px = img.pixel(x, y);
    if (near(px, want, tol))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << x << "," << y << ") is " << qRed(px) << "," << qGreen(px) << ","
                                         << qBlue(px) << " alpha " << qAlpha(px) << ", expected " << want.red() << ","
                                         << want.green() << "," << want.blue();
}

} // namespace

TEST(PicturesFromOtherPrograms, TheKeptFilesAreWhatTheGeneratorWrites)
{
    const QVector<SampleFile> files = makeFaultFiles();
    ASSERT_FALSE(files.isEmpty());
    for (const SampleFile &f : files) {
        QFile kept(faultPath(f.name));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << f.name.toStdString();
        EXPECT_TRUE(kept.readAll() == f.bytes) << f.name.toStdString();
    }
}

TEST(PicturesFromOtherPrograms, DeviceSizeInMicrometresThatDisagreesWithTheMillimetres)
{
    // 4 device pixels to the millimetre by the millimetres; bars at device x 60 + 110 i, 80 wide.
    const QImage img = drawn(QStringLiteral("emf-micrometres-24-times-millimetres.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(635, 454));
    const double s = 635.0 / 672;
    EXPECT_TRUE(colourAt(img, int(100 * s), int(390 * s), QColor(0x30, 0x60, 0xC0)));
    EXPECT_TRUE(colourAt(img, int(540 * s), int(300 * s), QColor(0x80, 0x40, 0xA0)));
    EXPECT_TRUE(colourAt(img, int(590 * s), int(90 * s), QColor(0xF0, 0xC0, 0x00)));
    EXPECT_TRUE(colourAt(img, int(300 * s), int(60 * s), Qt::white));
}

TEST(PicturesFromOtherPrograms, GradientFillIsDrawnNotRefused)
{
    const QImage img = drawn(QStringLiteral("emf-gradient-fill.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(100, 100));
    EXPECT_TRUE(colourAt(img, 5, 5, QColor(0xC0, 0xC0, 0xC0)));
    // From red on the left to blue on the right.
    EXPECT_TRUE(colourAt(img, 12, 50, QColor(250, 0, 5), 30));
    EXPECT_TRUE(colourAt(img, 50, 50, QColor(128, 0, 128), 30));
    EXPECT_TRUE(colourAt(img, 87, 50, QColor(5, 0, 250), 30));
}

TEST(PicturesFromOtherPrograms, PngAndJpegBitmapsInsideAMetafile)
{
    const QImage img = drawn(QStringLiteral("emf-png-and-jpeg-bitmaps.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(120, 60));
    for (int x : {10, 70}) {
        EXPECT_TRUE(colourAt(img, x + 10, 20, QColor(220, 30, 30)));
        EXPECT_TRUE(colourAt(img, x + 30, 20, QColor(30, 180, 30)));
        EXPECT_TRUE(colourAt(img, x + 10, 40, QColor(30, 30, 220)));
        EXPECT_TRUE(colourAt(img, x + 30, 40, Qt::white));
    }
}

TEST(PicturesFromOtherPrograms, PieWithAClipRectangle)
{
    // The upper right quarter of a circle around (48, 48) of radius 36.
    const QImage img = drawn(QStringLiteral("wmf-pie-with-clip.wmf"), Kind::Metafile);
    ASSERT_EQ(img.size(), QSize(96, 96));
    EXPECT_TRUE(colourAt(img, 60, 36, QColor(0x30, 0xA0, 0x50)));
    EXPECT_EQ(qAlpha(img.pixel(36, 60)), 0);
}

TEST(PicturesFromOtherPrograms, SixteenBitBitmapsReachFullIntensity)
{
    for (const char *name :
         {"bitmap16-555.bmp", "bitmap16-565-with-colour-table.bmp", "bitmap16-565-v5-top-down.bmp"}) {
        SCOPED_TRACE(name);
        const bool six = QByteArray(name).contains("565");
        const QImage img = drawn(QString::fromLatin1(name), Kind::Bitmap);
        ASSERT_EQ(img.size(), QSize(64, 4));
        // A channel of n bits widens by repeating its high bits: 0 stays 0, the top gives 255.
        auto widen = [](int v, int bits) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); };
        for (int x = 0; x < 64; ++x) {
            const int five = widen(x % 32, 5);
            const int green = six ? widen(x, 6) : five;
            EXPECT_EQ(img.pixel(x, 0), qRgb(five, 0, 0)) << x;
            EXPECT_EQ(img.pixel(x, 1), qRgb(0, green, 0)) << x;
            EXPECT_EQ(img.pixel(x, 2), qRgb(0, 0, five)) << x;
            EXPECT_EQ(img.pixel(x, 3), qRgb(255, 255, 255)) << x;
        }
    }
}

TEST(PicturesFromOtherPrograms, TinyBitmapsStayInTheirBoxes)
{
    const QImage img = drawn(QStringLiteral("emf-tiny-bitmaps-y-up.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(100, 100));
    // The 2 x 2 bitmap shown 8 x 8 at (30, 10), upright (and smoothed).
    EXPECT_TRUE(colourAt(img, 30, 10, QColor(200, 0, 0), 60));
    EXPECT_TRUE(colourAt(img, 37, 10, QColor(0, 160, 0), 60));
    EXPECT_TRUE(colourAt(img, 30, 17, QColor(0, 0, 200), 60));
    EXPECT_TRUE(colourAt(img, 37, 17, QColor(200, 200, 0), 60));
    // Turned over at (60, 30), 20 x 20: its first row at the bottom.
    EXPECT_TRUE(colourAt(img, 64, 46, QColor(200, 0, 0)));
    EXPECT_TRUE(colourAt(img, 64, 34, QColor(0, 0, 200)));
    // Nothing below or beside the boxes: no bars.
    for (int y = 20; y < 100; y += 5) {
        EXPECT_TRUE(colourAt(img, 11, y, Qt::white)) << y;
        EXPECT_TRUE(colourAt(img, 34, y, Qt::white)) << y;
    }
    for (int y = 55; y < 100; y += 5)
        EXPECT_TRUE(colourAt(img, 70, y, Qt::white)) << y;
}

namespace {

// The dark pixels of an image outside the given boxes (their outlines included).
int darkOutside(const QImage &img, const QVector<QRect> &boxes)
{
    int dark = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            bool inside = false;
            for (const QRect &b : boxes)
                inside = inside || b.adjusted(-1, -1, 1, 1).contains(x, y);
            if (!inside && qGray(img.pixel(x, y)) < 128)
                ++dark;
        }
    }
    return dark;
}

int sum(const QVector<int> &v)
{
    int s = 0;
    for (int a : v)
        s += a;
    return s;
}

// The rows that hold dark pixels.
QRect darkArea(const QImage &img)
{
    QRect area;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 128 && qGray(img.pixel(x, y)) < 128)
                area = area.united(QRect(x, y, 1, 1));
    return area;
}

// Mean difference per channel of two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                     std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return total / (4.0 * a.width() * a.height());
}

QImage drawnBytes(const QByteArray &bytes)
{
    const Picture pic = picture::loadPictureBytes(bytes);
    return pic.toImage(pic.pixelSize()).convertToFormat(QImage::Format_ARGB32);
}

QRect emfFrame96(int w, int h)
{
    return QRect(0, 0, int(std::lround(w * 2540.0 / 96)), int(std::lround(h * 2540.0 / 96)));
}

} // namespace

TEST(PicturesFromOtherPrograms, TextStaysInTheBoxesDrawnForIt)
{
    const QImage img = drawn(QStringLiteral("emf-text-in-boxes.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(400, 140));
    // The boxes as the file draws them (Faults.cpp).
    const int title = sum(sansAdvances(QStringLiteral("Quarterly Sales Summary"), 32 / 1.149));
    const int north = sum(sansAdvances(QStringLiteral("Northern region"), 14));
    const int total = sum(sansAdvances(QStringLiteral("Total revenue 1999"), 14));
    const int centred = sum(sansAdvances(QStringLiteral("Centred"), 14));
    const QVector<QRect> boxes = {QRect(8, 8, title + 8, 40), QRect(8, 64, north + 8, 24), QRect(8, 96, total + 8, 24),
                                  QRect(300 - centred / 2 - 4, 96, centred + 8, 24)};
    EXPECT_EQ(darkOutside(img, boxes), 0);
    // And the text is there: each box holds more than its outline.
    for (const QRect &b : boxes) {
        int dark = 0;
        for (int y = b.top() + 2; y < b.bottom() - 1; ++y)
            for (int x = b.left() + 2; x < b.right() - 1; ++x)
                dark += qGray(img.pixel(x, y)) < 128;
        EXPECT_GT(dark, 20) << b.x() << "," << b.y();
    }
}

TEST(PicturesFromOtherPrograms, PositiveFontHeightIsTheCellNegativeTheEm)
{
    // A capital H is 0.73 em high in the suite's sans-serif face; a cell of 200 pixels holds an
    // em of 200 / 1.164.
    auto heightOf = [](int fontHeight) {
        EmfWriter e;
        e.setBkMode(EmfWriter::Transparent);
        e.selectObject(e.createFont(fontHeight, 400, EmfWriter::CharsetAnsi, QStringLiteral("DejaVu Sans")));
        e.textOut(20, 20, QStringLiteral("H"), 150);
        return darkArea(drawnBytes(e.finish(emfFrame96(300, 300)))).height();
    };
    EXPECT_NEAR(heightOf(200), 0.729 * 200 / 1.164, 4);
    EXPECT_NEAR(heightOf(-200), 0.729 * 200, 4);
}

TEST(PicturesFromOtherPrograms, SymbolFontTextShowsGreekAndSigns)
{
    const QImage img = drawn(QStringLiteral("emf-symbol-font-text.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(200, 90));
    // The same glyphs given as Unicode text, and the Latin letters the codes would be.
    auto line = [](const QString &text) {
        EmfWriter e;
        e.setBkMode(EmfWriter::Transparent);
        e.setTextAlign(EmfWriter::AlignTop);
        e.selectObject(e.createFont(-24, 400, EmfWriter::CharsetAnsi, QStringLiteral("Symbol")));
        e.textOut(10, 10, text, 18);
        e.textOut(10, 50, text, 18);
        return drawnBytes(e.finish(emfFrame96(200, 90)));
    };
    const QImage unicode = line(QString::fromUtf16(u"\u03B1\u03B2\u03B3\u03B4\u03C0 \u221E\u2265\u221A"));
    const QImage latin = line(QString::fromLatin1("abgdp \xA5\xB3\xD6"));
    EXPECT_LT(meanDifference(img, unicode), 1.0);
    EXPECT_GT(meanDifference(img, latin), 3.0);
}

TEST(PicturesFromOtherPrograms, ABusyChartDraws)
{
    // About 79,000 records, most of them short lines, each with its pen selected again.
    const QByteArray chart = busyChartEmf(79000);
    const qint64 start = processorMs();
    const Picture pic = picture::loadPictureBytes(chart);
    ASSERT_EQ(pic.kind(), Kind::EnhMetafile);
    const QImage img = pic.toImage(pic.pixelSize());
    const qint64 ms = processorMs() - start;
    EXPECT_EQ(img.size(), QSize(672, 480));
    EXPECT_LT(ms, 5000);
    // It is drawn with the wait cursor, which is taken down again; a small picture is not.
    EXPECT_TRUE(picture::detail::loadBytes(chart)->slow);
    EXPECT_FALSE(picture::detail::loadBytes(busyChartEmf(2000))->slow);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

namespace {

// Within a box's inside: how many pixels are near each of two colours.
std::pair<int, int> countColours(const QImage &img, const QRect &inside, QColor a, QColor b)
{
    int na = 0, nb = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            na += near(img.pixel(x, y), a, 50);
            nb += near(img.pixel(x, y), b, 50);
        }
    }
    return {na, nb};
}

} // namespace

TEST(PicturesFromOtherPrograms, HatchedBrushesDrawHatches)
{
    const QImage img = drawn(QStringLiteral("emf-hatched-brushes.emf"), Kind::EnhMetafile);
    ASSERT_EQ(img.size(), QSize(310, 110));
    const QColor blue(0, 0, 0xC0), yellow(0xFF, 0xFF, 0);
    for (int style = 0; style <= 5; ++style) {
        SCOPED_TRACE(style);
        // On the opaque background: lines and yellow between them, a quarter to nine tenths lines.
        const QRect top(10 + 50 * style + 4, 14, 32, 32);
        const auto [lines, ground] = countColours(img, top, blue, yellow);
        EXPECT_GT(lines, top.width() * top.height() / 10);
        EXPECT_GT(ground, top.width() * top.height() / 10);
        EXPECT_GT(lines + ground, top.width() * top.height() * 3 / 4); // the rest smoothed edges
        // On nothing: lines, and between them what lay under the shape.
        const QRect bottom(10 + 50 * style + 12, 72, 16, 16);
        int clear = 0, drawn = 0;
        for (int y = bottom.top(); y <= bottom.bottom(); ++y)
            for (int x = bottom.left(); x <= bottom.right(); ++x) {
                clear += qAlpha(img.pixel(x, y)) == 0;
                drawn += near(img.pixel(x, y), blue, 50);
            }
        EXPECT_GT(clear, bottom.width() * bottom.height() / 4);
        EXPECT_GT(drawn, bottom.width() * bottom.height() / 10);
    }
    // The lines run their way: a horizontal hatch has whole rows of them, a vertical one columns.
    auto rowBlue = [&](int x0, int y) {
        int n = 0;
        for (int x = x0; x < x0 + 32; ++x)
            n += near(img.pixel(x, y), blue, 50);
        return n;
    };
    int fullRows = 0;
    for (int y = 14; y < 46; ++y)
        fullRows += rowBlue(14, y) == 32;
    EXPECT_GE(fullRows, 3);
    int fullColumns = 0;
    for (int x = 64; x < 96; ++x) {
        int n = 0;
        for (int y = 14; y < 46; ++y)
            n += near(img.pixel(x, y), blue, 50);
        fullColumns += n == 32;
    }
    EXPECT_GE(fullColumns, 3);
}

TEST(PicturesFromOtherPrograms, HatchedBrushesInAWindowsMetafile)
{
    WmfWriter w;
    w.setBkMode(WmfWriter::Transparent);
    w.selectObject(w.createPen(WmfWriter::PenNull, 0, 0));
    w.selectObject(w.createBrush(WmfWriter::BrushHatched, 0xC00000, WmfWriter::HatchCross));
    w.rectangle(QRect(0, 0, 1440, 1440));
    const QImage img = drawnBytes(w.finish(QRect(0, 0, 1440, 1440), 1440));
    ASSERT_EQ(img.size(), QSize(96, 96));
    int red = 0, clear = 0;
    for (int y = 10; y < 86; ++y)
        for (int x = 10; x < 86; ++x) {
            red += near(img.pixel(x, y), QColor(0xC0, 0, 0), 50);
            clear += qAlpha(img.pixel(x, y)) == 0;
        }
    EXPECT_GT(red, 76 * 76 / 6);
    EXPECT_GT(clear, 76 * 76 / 2);
}

TEST(PicturesFromOtherPrograms, HatchesAreCutToCurvedShapes)
{
    // A pie of the upper right quarter and a chord, both cross-hatched on nothing.
    EmfWriter e;
    e.setBkMode(EmfWriter::Transparent);
    e.selectObject(e.createPen(EmfWriter::PenNull, 0, 0));
    e.selectObject(e.createBrush(EmfWriter::BrushHatched, 0x000000, EmfWriter::HatchCross));
    e.pie(QRect(0, 0, 100, 100), QPoint(100, 50), QPoint(50, 0));
    e.chord(QRect(100, 0, 100, 100), QPoint(200, 50), QPoint(150, 0));
    const QImage img = drawnBytes(e.finish(emfFrame96(200, 100)));
    ASSERT_EQ(img.size(), QSize(200, 100));
    auto darkIn = [&](const QRect &r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qAlpha(img.pixel(x, y)) > 128;
        return n;
    };
    EXPECT_GT(darkIn(QRect(60, 15, 24, 24)), 24 * 24 / 8); // inside the pie
    EXPECT_EQ(darkIn(QRect(5, 55, 40, 40)), 0);            // the pie's other quarters
    EXPECT_EQ(darkIn(QRect(10, 10, 30, 30)), 0);
    EXPECT_GT(darkIn(QRect(172, 10, 16, 16)), 16 * 16 / 8); // inside the chord
    EXPECT_EQ(darkIn(QRect(110, 60, 80, 35)), 0);           // below its chord line
}

TEST(PicturesFromOtherPrograms, ColourSpaceRecordsAreReadByTheirLayout)
{
    // Flags and data length after the colour space: with no data and with a profile, they draw.
    for (const char *name : {"emf-colour-space.emf", "emf-colour-space-with-profile.emf"}) {
        SCOPED_TRACE(name);
        const QImage img = drawn(QString::fromLatin1(name), Kind::EnhMetafile);
        ASSERT_EQ(img.size(), QSize(100, 100));
        EXPECT_TRUE(colourAt(img, 50, 50, QColor(0x20, 0x40, 0xC0)));
        EXPECT_TRUE(colourAt(img, 5, 5, Qt::white));
    }
    // A data length past the record's end is damage, not read beyond it.
    QFile damaged(faultPath(QStringLiteral("emf-damaged-colour-space-data-past-record.emf")));
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    const QByteArray bytes = damaged.readAll();
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(bytes); }), vb::ErrInvalidPicture);

    // A record cut after its flags, without the data length, is too short for its type.
    QByteArray cut(picture::emf::colorSpaceW::Flags + 4 - 8, '\0');
    EmfWriter e;
    e.record(picture::emf::CreateColorSpaceW, cut);
    e.rectangle(QRect(10, 10, 50, 50));
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(e.finish(QRect(0, 0, 2540, 2540))); }), vb::ErrInvalidPicture);
}
