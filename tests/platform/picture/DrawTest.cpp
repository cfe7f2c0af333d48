// SPDX-License-Identifier: GPL-2.0-or-later
// Drawing pictures scaled, copying them as images, and the empty picture.
#include "tests/platform/picture/PictureTestSupport.h"

#include "tests/support/TempDir.h"
#include "tools/mksamples/EmfWriter.h"

#include <QPainter>

#include <gtest/gtest.h>

using picture::Kind;
using picture::Picture;

namespace {

// Four quadrants: red, green, blue, white.
QImage quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::white);
    return img;
}

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    return img;
}

} // namespace

TEST(PictureDraw, EmptyPictureHasNoSizeAndDrawsNothing)
{
    const Picture p;
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.kind(), Kind::Empty);
    EXPECT_EQ(p.pixelSize(), QSize(0, 0));
    EXPECT_EQ(p.twipsSize(), QSizeF(0, 0));
    EXPECT_TRUE(p.toImage().isNull());
    QImage img = canvas(10, 10);
    QPainter painter(&img);
    p.draw(painter, QRectF(0, 0, 10, 10));
    painter.end();
    EXPECT_EQ(img.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_TRUE(Picture::fromImage(QImage()).isEmpty());
}

TEST(PictureDraw, FromImageIsABitmapOfThatSize)
{
    const Picture p = Picture::fromImage(quadrants(40, 20).convertToFormat(QImage::Format_Indexed8));
    EXPECT_EQ(p.kind(), Kind::Bitmap);
    EXPECT_EQ(p.pixelSize(), QSize(40, 20));
    EXPECT_EQ(p.twipsSize(), QSizeF(600, 300));
    EXPECT_TRUE(near(p.toImage().pixel(30, 15), Qt::white, 0));
}

TEST(PictureDraw, RasterAtItsSizeIsCopiedAndScaledKeepsItsLayout)
{
    const Picture p = Picture::fromImage(quadrants(40, 20));
    // At the natural size, moved: the same pixels.
    QImage same = canvas(60, 40);
    QPainter a(&same);
    p.draw(a, QRectF(10, 10, 40, 20));
    a.end();
    EXPECT_EQ(same.copy(10, 10, 40, 20).convertToFormat(QImage::Format_RGB32), p.toImage());
    EXPECT_EQ(same.pixel(5, 5), qRgb(0, 0, 0));

    // Twice as large, and into a quarter of the size: quadrants stay where they are.
    for (const QRectF target : {QRectF(0, 0, 80, 40), QRectF(2, 3, 10, 5)}) {
        QImage img = canvas(84, 44);
        QPainter q(&img);
        p.draw(q, target);
        q.end();
        auto at = [&](double fx, double fy) {
            return img.pixel(int(target.x() + fx * target.width()), int(target.y() + fy * target.height()));
        };
        EXPECT_TRUE(near(at(0.2, 0.2), Qt::red, 30));
        EXPECT_TRUE(near(at(0.8, 0.2), Qt::green, 30));
        EXPECT_TRUE(near(at(0.2, 0.8), Qt::blue, 30));
        EXPECT_TRUE(near(at(0.8, 0.8), Qt::white, 30));
        EXPECT_EQ(img.pixel(int(target.right()) + 1, int(target.bottom()) + 1), qRgb(0, 0, 0));
    }
    // A scaled copy.
    const QImage half = p.toImage(QSize(20, 10));
    EXPECT_EQ(half.size(), QSize(20, 10));
    EXPECT_TRUE(near(half.pixel(15, 2), Qt::green, 30));
}

TEST(PictureDraw, MetafileScalesIntoItsTargetAndStaysInside)
{
    // A red left half and a blue right half, and a green box reaching past the frame.
    EmfWriter e;
    e.selectObject(e.createPen(EmfWriter::PenNull, 0, 0));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0x00FF00));
    e.rectangle(QRect(-50, -50, 300, 300));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0xFF0000));
    e.rectangle(QRect(0, 0, 48, 96));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0x0000FF));
    e.rectangle(QRect(48, 0, 48, 96));
    TempDir dir;
    const Picture p = picture::loadPicture(dir.write(QStringLiteral("m.emf"), e.finish(QRect(0, 0, 2540, 2540))));
    ASSERT_EQ(p.pixelSize(), QSize(96, 96));

    QImage img = canvas(300, 200);
    QPainter painter(&img);
    p.draw(painter, QRectF(50, 50, 200, 100));
    painter.end();
    EXPECT_TRUE(near(img.pixel(100, 100), Qt::red));
    EXPECT_TRUE(near(img.pixel(200, 100), Qt::blue));
    // Nothing outside the target, although the drawing goes past its frame.
    EXPECT_EQ(img.pixel(40, 40), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(260, 160), qRgb(0, 0, 0));

    const QImage small = p.toImage(QSize(24, 12));
    EXPECT_TRUE(near(small.pixel(5, 6), Qt::red));
    EXPECT_TRUE(near(small.pixel(18, 6), Qt::blue));
}

TEST(PictureDraw, CopiesShareThePicture)
{
    const Picture a = Picture::fromImage(quadrants(8, 8));
    const Picture b = a;
    EXPECT_EQ(a.toImage().constBits(), b.toImage().constBits());
}
