// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/mksamples/Samples.h"

#include "tools/fileformats/BitmapWriter.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/PixelFont.h"
#include "tools/mksamples/WmfWriter.h"

#include "platform/cp932/cp932.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <stdexcept>

namespace {

constexpr double Pi = 3.14159265358979323846;

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780); // 96 dpi
    img.setDotsPerMeterY(3780);
    img.fill(Qt::white);
    return img;
}

// A label in a white box with a dark frame.
void label(QPainter &p, QPoint at, const QString &text, int dot)
{
    const QSize s = pixelfont::textSize(text, dot);
    const QRect box(at, s + QSize(4 * dot, 4 * dot));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(box, QColor(255, 255, 255));
    p.setPen(QPen(QColor(40, 40, 40), dot));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box.adjusted(dot / 2, dot / 2, -(dot + 1) / 2, -(dot + 1) / 2));
    pixelfont::drawText(p, at + QPoint(2 * dot, 2 * dot), text, dot, QColor(20, 20, 20));
    p.restore();
}

QByteArray jpeg(const QImage &img, int quality)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(img))
        throw std::runtime_error("cannot write a JPEG: " + writer.errorString().toStdString());
    return out;
}

// A country scene: sky, sun, hills and a house.
QImage bitmapScene()
{
    QImage img = canvas(320, 240);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 160);
    sky.setColorAt(0, QColor(70, 130, 220));
    sky.setColorAt(1, QColor(200, 230, 255));
    p.fillRect(0, 0, 320, 160, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 0));
    p.drawEllipse(QPointF(260, 45), 24, 24);
    p.setBrush(QColor(60, 160, 60));
    p.drawEllipse(QRectF(-80, 130, 300, 160));
    p.setBrush(QColor(90, 180, 70));
    p.drawEllipse(QRectF(120, 140, 300, 150));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(150, 120, 70, 55));
    p.setBrush(QColor(120, 60, 30));
    p.drawPolygon(QPolygonF({QPointF(140, 122), QPointF(185, 88), QPointF(230, 122)}));
    p.setBrush(QColor(250, 240, 200));
    p.drawRect(QRectF(162, 135, 16, 16));
    p.drawRect(QRectF(192, 140, 16, 35));
    label(p, QPoint(8, 8), QStringLiteral("BMP 24-BIT"), 2);
    label(p, QPoint(8, 212), QStringLiteral("320 X 240"), 1);
    return img;
}

// Maps an image drawn in palette colours only to an 8-bit indexed image with that palette.
QImage indexed(const QImage &img, const QVector<QRgb> &palette)
{
    QHash<QRgb, int> index;
    for (int i = 0; i < palette.size(); ++i)
        index.insert(palette[i] | 0xFF000000u, i);
    QImage out(img.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const auto it = index.constFind(img.pixel(x, y) | 0xFF000000u);
            if (it == index.constEnd())
                throw std::logic_error("a colour outside the palette");
            out.setPixel(x, y, uint(*it));
        }
    }
    return out;
}

QVector<QRgb> rainbow(int n)
{
    QVector<QRgb> colours;
    for (int i = 0; i < n; ++i)
        colours.append(QColor::fromHsv(i * 360 / n, 200, 235).rgb());
    return colours;
}

// Flat colour bands and shapes without smoothing: what run-length coding is made for.
QImage rleScene(int w, int h, int colours, const QString &text, int dot)
{
    QVector<QRgb> palette{qRgb(255, 255, 255), qRgb(20, 20, 20), qRgb(40, 40, 40)};
    const QVector<QRgb> bands = rainbow(colours - 3);
    palette += bands;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int bandH = (h + int(bands.size()) - 1) / int(bands.size());
    for (int i = 0; i < bands.size(); ++i)
        p.fillRect(0, i * bandH, w, bandH, QColor(bands[i]));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(bands[(i * 3 + 2) % bands.size()]));
        p.drawEllipse(QPoint(w * (2 * i + 1) / 8, h * 3 / 5), w / 10, w / 10);
    }
    p.setBrush(QColor(palette[0]));
    p.drawRect(QRect(w / 16, h * 17 / 20, w * 7 / 8, h / 12));
    p.end();
    QPainter q(&img);
    label(q, QPoint(dot * 4, dot * 4), text, dot);
    q.end();
    return indexed(img, palette);
}

// Evening at sea, for the JPEG.
QImage photoScene()
{
    QImage img = canvas(320, 240);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 150);
    sky.setColorAt(0, QColor(40, 30, 100));
    sky.setColorAt(0.6, QColor(230, 100, 80));
    sky.setColorAt(1, QColor(255, 200, 120));
    p.fillRect(0, 0, 320, 150, sky);
    QRadialGradient sun(QPointF(200, 150), 40);
    sun.setColorAt(0, QColor(255, 250, 200));
    sun.setColorAt(1, QColor(255, 160, 60, 0));
    p.fillRect(150, 100, 100, 50, sun);
    QLinearGradient sea(0, 150, 0, 240);
    sea.setColorAt(0, QColor(40, 80, 140));
    sea.setColorAt(1, QColor(10, 30, 70));
    p.fillRect(0, 150, 320, 90, sea);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawPolygon(QPolygonF({QPointF(92, 80), QPointF(92, 160), QPointF(50, 160)}));
    p.drawPolygon(QPolygonF({QPointF(96, 90), QPointF(96, 160), QPointF(130, 160)}));
    p.setBrush(QColor(90, 50, 30));
    p.drawPolygon(QPolygonF({QPointF(40, 164), QPointF(140, 164), QPointF(128, 178), QPointF(52, 178)}));
    label(p, QPoint(8, 8), QStringLiteral("JPEG"), 2);
    return img;
}

// A mountain under a red sun.
QImage fujiScene()
{
    QImage img = canvas(400, 300);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(120, 180, 240));
    sky.setColorAt(1, QColor(235, 245, 255));
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 30, 40));
    p.drawEllipse(QPointF(320, 70), 30, 30);
    QLinearGradient rock(0, 90, 0, 300);
    rock.setColorAt(0, QColor(70, 80, 130));
    rock.setColorAt(1, QColor(40, 60, 90));
    p.setBrush(rock);
    p.drawPolygon(QPolygonF({QPointF(0, 300), QPointF(170, 95), QPointF(230, 95), QPointF(400, 300)}));
    p.setBrush(QColor(250, 250, 255));
    p.drawPolygon(
        QPolygonF({QPointF(170, 95), QPointF(230, 95), QPointF(262, 134), QPointF(240, 126), QPointF(222, 140),
                   QPointF(200, 124), QPointF(178, 140), QPointF(160, 126), QPointF(138, 134)}));
    p.setBrush(QColor(40, 110, 60));
    p.drawRect(QRectF(0, 270, 400, 30));
    label(p, QPoint(10, 10), QStringLiteral("FUJI - JPEG"), 2);
    return img;
}

// A long strip with a ruler every 100 pixels, so that scrolling shows where one is.
QImage stripScene(int w, int h, const QString &title)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool tall = h > w;
    QLinearGradient g(0, 0, tall ? 0 : w, tall ? h : 0);
    for (int i = 0; i <= 6; ++i)
        g.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 110, 245));
    p.fillRect(img.rect(), g);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int length = tall ? h : w;
    for (int at = 100; at < length; at += 100) {
        const int tick = at % 500 == 0 ? 40 : 20;
        if (tall)
            p.fillRect(0, at - 1, tick, 3, QColor(30, 30, 30));
        else
            p.fillRect(at - 1, h - tick, 3, tick, QColor(30, 30, 30));
        if (at % 500 == 0) {
            const QString n = QString::number(at);
            if (tall)
                pixelfont::drawText(p, QPoint(48, at - 7), n, 2, QColor(30, 30, 30));
            else
                pixelfont::drawText(p, QPoint(at - pixelfont::textSize(n, 2).width() / 2, h - 60), n, 2,
                                    QColor(30, 30, 30));
        }
    }
    label(p, QPoint(tall ? 60 : 20, 20), title, 3);
    const QString end = tall ? QStringLiteral("BOTTOM") : QStringLiteral("RIGHT END");
    const QSize s = pixelfont::textSize(end, 3);
    label(p, tall ? QPoint(60, h - s.height() - 40) : QPoint(w - s.width() - 40, 20), end, 3);
    return img;
}

// The Windows metafile: 1440 units to the inch, a 4800 x 3600 frame (320 x 240 pixels).
QByteArray wmfSample()
{
    WmfWriter w;
    w.setMapMode(WmfWriter::MapAnisotropic);
    w.setWindowOrg(0, 0);
    w.setWindowExt(4800, 3600);
    w.setBkMode(WmfWriter::Transparent);

    const int noPen = w.createPen(WmfWriter::PenNull, 0, 0);
    const int paper = w.createBrush(WmfWriter::BrushSolid, 0xFFF8DC);
    w.selectObject(noPen);
    w.selectObject(paper);
    w.rectangle(QRect(0, 0, 4800, 3600));

    const int outline = w.createPen(WmfWriter::PenSolid, 45, 0x202020);
    w.selectObject(outline);
    const int red = w.createBrush(WmfWriter::BrushSolid, 0xE02020);
    w.selectObject(red);
    w.rectangle(QRect(450, 900, 1350, 1050));
    const int green = w.createBrush(WmfWriter::BrushSolid, 0x30A040);
    w.selectObject(green);
    w.ellipse(QRect(2100, 900, 1050, 1050));
    const int blue = w.createBrush(WmfWriter::BrushSolid, 0x3060D0);
    w.selectObject(blue);
    w.polygon({QPoint(3900, 900), QPoint(4500, 1950), QPoint(3300, 1950)});
    const int yellow = w.createBrush(WmfWriter::BrushSolid, 0xF0C020);
    w.selectObject(yellow);
    w.roundRect(QRect(450, 2250, 3900, 600), 300, 300);
    const int dash = w.createPen(WmfWriter::PenDash, 1, 0x800080);
    w.selectObject(dash);
    w.polyline({QPoint(450, 3150), QPoint(1350, 3000), QPoint(2250, 3300), QPoint(3150, 3000), QPoint(4350, 3150)});

    const int latin = w.createFont(-300, 700, WmfWriter::CharsetAnsi, "Arial");
    w.selectObject(latin);
    w.setTextColor(0x202080);
    w.setTextAlign(WmfWriter::AlignTop);
    w.textOut(450, 240, "WMF  Windows Metafile");
    const int gothic =
        w.createFont(-270, 400, WmfWriter::CharsetShiftJis, cp932::encode(QStringLiteral("ＭＳ ゴシック")));
    w.selectObject(gothic);
    w.setTextColor(0x000000);
    w.textOut(600, 2370, cp932::encode(QStringLiteral("メタファイルの見本・日本語")));
    w.selectObject(latin);
    w.deleteObject(gothic);
    return w.finish(QRect(0, 0, 4800, 3600), 1440);
}

// The enhanced metafile: logical units of a tenth of a pixel on a 96-dpi reference device, and
// a frame of 3.5 x 2.5 inches (336 x 240 pixels).
QByteArray emfSample()
{
    EmfWriter e;
    e.setMapMode(EmfWriter::MapAnisotropic);
    e.setWindowOrg(0, 0);
    e.setWindowExt(3360, 2400);
    e.setViewportOrg(0, 0);
    e.setViewportExt(336, 240);
    e.setBkMode(EmfWriter::Transparent);

    const int noPen = e.createPen(EmfWriter::PenNull, 0, 0);
    e.selectObject(noPen);
    for (int i = 0; i < 12; ++i) {
        const QColor c = QColor::fromHsv(200, 40 + i * 12, 255 - i * 6);
        const int band = e.createBrush(EmfWriter::BrushSolid, c.rgb() & 0xFFFFFF);
        e.selectObject(band);
        e.rectangle(QRect(0, i * 200, 3360, 200));
        e.deleteObject(band);
    }
    const int thick = e.createPen(EmfWriter::PenSolid, 40, 0x102040);
    e.selectObject(thick);
    const int orange = e.createBrush(EmfWriter::BrushSolid, 0xF08020);
    e.selectObject(orange);
    e.ellipse(QRect(300, 700, 900, 900));
    const int purple = e.createBrush(EmfWriter::BrushSolid, 0x8040C0);
    e.selectObject(purple);
    QVector<QPoint> star;
    for (int i = 0; i < 10; ++i) {
        const double a = -Pi / 2 + i * Pi / 5;
        const double r = i % 2 ? 200 : 480;
        star.append(QPoint(int(std::lround(1900 + r * std::cos(a))), int(std::lround(1150 + r * std::sin(a)))));
    }
    e.polygon(star);
    const int teal = e.createBrush(EmfWriter::BrushSolid, 0x20A0A0);
    e.selectObject(teal);
    e.roundRect(QRect(2550, 700, 600, 900), 200, 200);
    const int line = e.createPen(EmfWriter::PenSolid, 60, 0xC02020);
    e.selectObject(line);
    e.moveTo(300, 1850);
    e.lineTo(3060, 1850);

    const int latin = e.createFont(-220, 700, EmfWriter::CharsetAnsi, QStringLiteral("Arial"));
    e.selectObject(latin);
    e.setTextColor(0x102040);
    e.setTextAlign(EmfWriter::AlignTop);
    e.textOut(300, 200, QStringLiteral("EMF  Enhanced Metafile"), 160);
    const int gothic = e.createFont(-240, 400, EmfWriter::CharsetShiftJis, QStringLiteral("ＭＳ ゴシック"));
    e.selectObject(gothic);
    e.setTextColor(0x000000);
    e.textOut(300, 2000, QStringLiteral("拡張メタファイルの見本"), 240);
    // Frame: 3.5 x 2.5 inches in hundredths of a millimetre; the reference device is a
    // 1280 x 1024 screen at 96 dpi.
    return e.finish(QRect(0, 0, 8890, 6350), QSize(1280, 1024), QSize(339, 271));
}

// A blue tile reading 32, and a green disc reading 16: which one shows is visible at a glance.
bitmapfile::IconImage iconImage(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    if (size == 32) {
        p.setBrush(QColor(30, 90, 200));
        p.drawRoundedRect(QRect(1, 1, 30, 30), 6, 6);
        pixelfont::drawText(p, QPoint(5, 6), QStringLiteral("32"), 2, Qt::white);
        p.fillRect(QRect(5, 24, 22, 3), QColor(255, 210, 0));
        p.end();
        return {img, 32};
    }
    p.setBrush(QColor(20, 150, 60));
    p.drawEllipse(QRect(0, 0, 16, 16));
    pixelfont::drawText(p, QPoint(3, 5), QStringLiteral("16"), 1, Qt::white);
    p.end();
    return {img, 4};
}

// A monochrome arrow pointer whose tip is the hotspot.
bitmapfile::IconImage cursorImage()
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon arrow(
        {QPoint(2, 2), QPoint(2, 24), QPoint(8, 18), QPoint(12, 28), QPoint(16, 26), QPoint(12, 17), QPoint(20, 17)});
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    p.end();
    return {img, 1};
}

QByteArray listFile(const QStringList &lines)
{
    return cp932::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

} // namespace

QVector<SampleFile> makeSamples()
{
    QVector<SampleFile> files;
    files.append({QStringLiteral("bitmap24.bmp"), bitmapfile::bmp24(bitmapScene())});
    files.append(
        {QStringLiteral("rle8.rle"), bitmapfile::bmpRle8(rleScene(320, 240, 24, QStringLiteral("RLE8 BITMAP"), 2))});
    files.append({QStringLiteral("rle4.rle"), bitmapfile::bmpRle4(rleScene(160, 120, 16, QStringLiteral("RLE4"), 2))});
    files.append({QStringLiteral("photo.jpg"), jpeg(photoScene(), 85)});
    files.append({QStringLiteral("写真_富士.jpg"), jpeg(fujiScene(), 85)});
    files.append({QStringLiteral("tall.jpg"), jpeg(stripScene(600, 1800, QStringLiteral("TALL JPEG 600 X 1800")), 75)});
    files.append({QStringLiteral("wide.jpg"), jpeg(stripScene(3000, 500, QStringLiteral("WIDE JPEG 3000 X 500")), 75)});
    files.append({QStringLiteral("drawing.wmf"), wmfSample()});
    files.append({QStringLiteral("drawing.emf"), emfSample()});
    files.append({QStringLiteral("icon.ico"), bitmapfile::ico({iconImage(16), iconImage(32)})});
    files.append({QStringLiteral("pointer.cur"), bitmapfile::cur(cursorImage(), QPoint(2, 2))});
    files.append({QStringLiteral("samples.lst"),
                  listFile({QStringLiteral("; 見本の画像一覧（種類ごとに一つずつ）"), QStringLiteral("bitmap24.bmp"),
                            QStringLiteral("rle8.rle"), QStringLiteral("rle4.rle"), QStringLiteral("photo.jpg"),
                            QStringLiteral("写真_富士.jpg"), QStringLiteral("\"drawing.wmf\""),
                            QStringLiteral("drawing.emf"), QStringLiteral("icon.ico"), QStringLiteral("pointer.cur"),
                            QStringLiteral("; 次の行のファイルはありません（読み飛ばされます）"),
                            QStringLiteral("missing.jpg")})});
    files.append({QStringLiteral("large.lst"), listFile({QStringLiteral("; 大きな画像（縦長と横長）"),
                                                         QStringLiteral("tall.jpg"), QStringLiteral("wide.jpg")})});
    return files;
}
