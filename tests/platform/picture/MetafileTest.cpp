// SPDX-License-Identifier: GPL-2.0-or-later
// Metafiles: natural size from the frame, the drawing mapped onto that frame, pens and text.
#include "tests/platform/picture/PictureTestSupport.h"

#include "platform/cp932/cp932.h"
#include "tests/support/TempDir.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/WmfWriter.h"

#include <gtest/gtest.h>

using picture::Kind;
using picture::loadPicture;

namespace {

const QColor Red(255, 0, 0);

// A red rectangle without outline covering logical (x, y, w, h).
void redBox(WmfWriter &w, const QRect &r)
{
    w.selectObject(w.createPen(WmfWriter::PenNull, 0, 0));
    w.selectObject(w.createBrush(WmfWriter::BrushSolid, 0xFF0000));
    w.rectangle(r);
}

void redBox(EmfWriter &e, const QRect &r)
{
    e.selectObject(e.createPen(EmfWriter::PenNull, 0, 0));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0xFF0000));
    e.rectangle(r);
}

// Where the red pixels of an image are.
QRect redArea(const QImage &img)
{
    QRect area;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (near(img.pixel(x, y), Red, 60))
                area = area.united(QRect(x, y, 1, 1));
    return area;
}

// Whether a rectangle found by redArea matches an expected one to a pixel's smoothing.
::testing::AssertionResult sameArea(const QRect &got, const QRect &want)
{
    if (std::abs(got.left() - want.left()) <= 1 && std::abs(got.top() - want.top()) <= 1 &&
        std::abs(got.right() - want.right()) <= 1 && std::abs(got.bottom() - want.bottom()) <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "red at (" << got.x() << "," << got.y() << " " << got.width() << "x"
                                         << got.height() << "), expected (" << want.x() << "," << want.y() << " "
                                         << want.width() << "x" << want.height() << ")";
}

class MetafileTest : public ::testing::Test
{
protected:
    QString save(const QString &name, const QByteArray &bytes) { return dir.write(name, bytes); }
    TempDir dir;
};

} // namespace

TEST_F(MetafileTest, PlaceableWmfIsSizedByItsFrameAndDrawnIntoIt)
{
    // 1440 units to the inch: a frame of 1440 x 720 units is 96 x 48 pixels.
    WmfWriter w;
    redBox(w, QRect(360, 180, 360, 360));
    const picture::Picture p = loadPicture(save(QStringLiteral("a.wmf"), w.finish(QRect(0, 0, 1440, 720), 1440)));
    EXPECT_EQ(p.kind(), Kind::Metafile);
    EXPECT_EQ(p.twipsSize(), QSizeF(1440, 720));
    EXPECT_EQ(p.pixelSize(), QSize(96, 48));
    EXPECT_TRUE(sameArea(redArea(p.toImage()), QRect(24, 12, 24, 24)));
    // What lies outside the drawn shapes stays transparent.
    EXPECT_EQ(qAlpha(p.toImage().pixel(5, 5)), 0);

    // The same drawing in a frame that does not start at the origin, at 576 units to the inch,
    // with a window of its own: the window fills the frame.
    WmfWriter v;
    v.setMapMode(WmfWriter::MapAnisotropic);
    v.setWindowOrg(1000, 2000);
    v.setWindowExt(200, 100);
    redBox(v, QRect(1050, 2025, 50, 50));
    const picture::Picture q = loadPicture(save(QStringLiteral("b.wmf"), v.finish(QRect(-288, 500, 576, 288), 576)));
    EXPECT_EQ(q.twipsSize(), QSizeF(1440, 720));
    EXPECT_TRUE(sameArea(redArea(q.toImage()), QRect(24, 12, 24, 24)));
}

TEST_F(MetafileTest, PlainWmfTakesItsWindowOrWhatItDrawsAsPixels)
{
    WmfWriter w;
    w.setMapMode(WmfWriter::MapAnisotropic);
    w.setWindowOrg(0, 0);
    w.setWindowExt(200, 100);
    redBox(w, QRect(50, 25, 100, 50));
    const picture::Picture p = loadPicture(save(QStringLiteral("plain.wmf"), w.finishPlain()));
    EXPECT_EQ(p.kind(), Kind::Metafile);
    EXPECT_EQ(p.pixelSize(), QSize(200, 100));
    EXPECT_EQ(p.twipsSize(), QSizeF(3000, 1500));
    EXPECT_TRUE(sameArea(redArea(p.toImage()), QRect(50, 25, 100, 50)));

    WmfWriter bare;
    redBox(bare, QRect(10, 20, 30, 40));
    const picture::Picture q = loadPicture(save(QStringLiteral("bare.wmf"), bare.finishPlain()));
    EXPECT_EQ(q.pixelSize(), QSize(31, 41));
    EXPECT_TRUE(near(q.toImage().pixel(15, 20), Red));
}

TEST_F(MetafileTest, EmfIsSizedByItsFrameWhereverItsDeviceBoundsLie)
{
    // A frame of 1 x 0.5 inch (2540 x 1270 hundredths of a millimetre) on a 96-dpi device.
    EmfWriter e;
    redBox(e, QRect(24, 12, 24, 24));
    const QSize dev(1280, 1024);
    const QSize mm(339, 271);
    const picture::Picture p = loadPicture(save(QStringLiteral("a.emf"), e.finish(QRect(0, 0, 2540, 1270), dev, mm)));
    EXPECT_EQ(p.kind(), Kind::EnhMetafile);
    EXPECT_EQ(p.twipsSize(), QSizeF(1440, 720));
    EXPECT_EQ(p.pixelSize(), QSize(96, 48));
    EXPECT_TRUE(sameArea(redArea(p.toImage()), QRect(24, 12, 24, 24)));

    // The frame an inch from the origin: the drawing is placed relative to it.
    EmfWriter f;
    redBox(f, QRect(96 + 24, 96 + 12, 24, 24));
    const picture::Picture q =
        loadPicture(save(QStringLiteral("b.emf"), f.finish(QRect(2540, 2540, 2540, 1270), dev, mm)));
    EXPECT_EQ(q.pixelSize(), QSize(96, 48));
    EXPECT_TRUE(sameArea(redArea(q.toImage()), QRect(24, 12, 24, 24)));
}

TEST_F(MetafileTest, WidePensKeepTheirWidthUnderAScalingMapping)
{
    // Ten logical units a pixel: a pen 40 units wide is 4 pixels wide, in both kinds.
    EmfWriter e;
    e.setMapMode(EmfWriter::MapAnisotropic);
    e.setWindowExt(1000, 500);
    e.setViewportExt(100, 50);
    e.selectObject(e.createPen(EmfWriter::PenSolid, 40, 0xFF0000));
    e.moveTo(100, 250);
    e.lineTo(900, 250);
    WmfWriter w;
    w.setMapMode(WmfWriter::MapAnisotropic);
    w.setWindowExt(1000, 500);
    w.selectObject(w.createPen(WmfWriter::PenSolid, 40, 0xFF0000));
    w.moveTo(100, 250);
    w.lineTo(900, 250);
    const QImage fromEmf = loadPicture(save(QStringLiteral("pen.emf"), e.finish(QRect(0, 0, 2646, 1323)))).toImage();
    const QImage fromWmf =
        loadPicture(save(QStringLiteral("pen.wmf"), w.finish(QRect(0, 0, 1000, 500), 960))).toImage();
    for (const QImage &img : {fromEmf, fromWmf}) {
        ASSERT_EQ(img.size(), QSize(100, 50));
        const QRect red = redArea(img);
        EXPECT_GE(red.height(), 3);
        EXPECT_LE(red.height(), 5);
        EXPECT_NEAR(red.center().y(), 25, 1);
        EXPECT_NEAR(red.width(), 84, 3); // with its round ends
    }
}

TEST_F(MetafileTest, JapaneseAndMarkupCharactersInTextStillRender)
{
    // Code page 932 text in a WMF font of the Japanese character set, with characters that
    // mean something in markup and a zero byte; the same as wide and as 8-bit text in an EMF.
    const QByteArray sjis = cp932::encode(QStringLiteral("日本語 <A&B> ]]> \"表\""));
    WmfWriter w;
    w.setMapMode(WmfWriter::MapAnisotropic);
    w.setWindowOrg(0, 0);
    w.setWindowExt(4800, 1440);
    w.selectObject(w.createFont(-600, 400, WmfWriter::CharsetShiftJis, cp932::encode(QStringLiteral("ＭＳ ゴシック"))));
    w.setTextColor(0x000000);
    w.textOut(100, 300, sjis);
    w.textOut(100, 900, QByteArray("nul\0inside", 10));
    const picture::Picture p = loadPicture(save(QStringLiteral("text.wmf"), w.finish(QRect(0, 0, 4800, 1440), 1440)));
    EXPECT_EQ(p.pixelSize(), QSize(320, 96));

    EmfWriter e;
    e.selectObject(e.createFont(-40, 400, EmfWriter::CharsetShiftJis, QStringLiteral("ＭＳ ゴシック\"<&")));
    e.textOut(10, 20, QStringLiteral("日本語 <A&B> ]]> \"表\"") + QChar(0) + QChar(0xD800), 40);
    const picture::Picture q = loadPicture(save(QStringLiteral("text.emf"), e.finish(QRect(0, 0, 8467, 2540))));
    EmfWriter a;
    a.selectObject(a.createFont(-40, 400, EmfWriter::CharsetShiftJis, QStringLiteral("ＭＳ ゴシック")));
    a.textOutAnsi(10, 20, sjis, 40);
    const picture::Picture r = loadPicture(save(QStringLiteral("ansi.emf"), a.finish(QRect(0, 0, 8467, 2540))));

    for (const picture::Picture &pic : {p, q, r}) {
        // Dark text pixels where the first line is, none far below it.
        const QImage img = pic.toImage();
        int dark = 0;
        for (int y = 15; y < 60; ++y)
            for (int x = 5; x < 300; ++x)
                dark += near(img.pixel(x, y), Qt::black, 90) ? 1 : 0;
        EXPECT_GT(dark, 100);
    }
}

TEST_F(MetafileTest, GlyphIndexTextIsLeftOutWithoutHarm)
{
    // Once Qt has drawn text, handing glyph-index text to the converter would end the process.
    const QImage warm = loadPicture(samplePath(QStringLiteral("drawing.emf"))).toImage();
    ASSERT_FALSE(warm.isNull());
    EmfWriter e;
    redBox(e, QRect(10, 10, 20, 20));
    e.selectObject(e.createFont(-20, 400, EmfWriter::CharsetAnsi, QStringLiteral("Arial")));
    e.textOut(40, 10, QString(QChar(36)) + QChar(72) + QChar(79), 12, 0x0010);
    const picture::Picture p = loadPicture(save(QStringLiteral("glyphs.emf"), e.finish(QRect(0, 0, 2540, 1270))));
    EXPECT_TRUE(sameArea(redArea(p.toImage()), QRect(10, 10, 20, 20)));
}
