// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/mksamples/Faults.h"

#include "platform/picture/MetafileRecords.h"
#include "tools/fileformats/BitmapWriter.h"
#include "tools/fileformats/ByteWriter.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/WmfWriter.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <cmath>

namespace {

// The frame in hundredths of a millimetre of w x h pixels of the default 96-dpi reference device.
QRect frame96(int w, int h)
{
    return QRect(0, 0, int(std::lround(w * 2540.0 / 96)), int(std::lround(h * 2540.0 / 96)));
}

void solid(EmfWriter &e, quint32 rgb)
{
    e.selectObject(e.createPen(EmfWriter::PenNull, 0, 0));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, rgb));
}

// 1. The device size in micrometres 24.78 times the one in millimetres, as a family of writers
// gives it: 320 mm against 7,929,939 um.
QByteArray micrometresEmf()
{
    EmfWriter e;
    // Logical units are the device's pixels, 4 to the millimetre; the picture is 672 x 480 of them.
    solid(e, 0xFFFFFF);
    e.rectangle(QRect(0, 0, 672, 480));
    const quint32 colours[] = {0x3060C0, 0xC04030, 0x30A050, 0xE0A020, 0x8040A0};
    for (int i = 0; i < 5; ++i) {
        e.selectObject(e.createBrush(EmfWriter::BrushSolid, colours[i]));
        const int h = 60 + 60 * i;
        e.rectangle(QRect(60 + 110 * i, 420 - h, 80, h));
    }
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0x202020));
    e.rectangle(QRect(40, 420, 600, 6));
    e.rectangle(QRect(40, 40, 6, 386));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0xF0C000));
    e.ellipse(QRect(540, 40, 100, 100));
    e.setBounds(QRect(0, 0, 672, 480));
    return e.finish(QRect(0, 0, 16800, 12000), QSize(1280, 1024), QSize(320, 256), QSize(7929939, 6343951));
}

// 2. One gradient fill, 80 x 80 in a picture of 100 x 100, on a grey ground.
QByteArray gradientEmf()
{
    EmfWriter e;
    solid(e, 0xC0C0C0);
    e.rectangle(QRect(0, 0, 100, 100));
    e.gradientRect(QRect(10, 10, 80, 80), 0xFF0000, 0x0000FF, false);
    return e.finish(frame96(100, 100));
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    writer.write(image);
    return bytes;
}

// A bitmap header that announces a whole PNG (5) or JPEG (4) file as the bits.
QByteArray compressedInfo(const QSize &size, quint32 compression, qsizetype bytes)
{
    ByteWriter w;
    w.u32(40);
    w.i32(size.width());
    w.i32(-size.height()); // top-down, as such files are
    w.u16(1);
    w.u16(0); // the bit count is the file's
    w.u32(compression);
    w.u32(quint32(bytes));
    w.zeros(16);
    return w.data();
}

// Four quadrants, red, green, blue and white, for a bitmap whose placement shows.
QImage quadrants(int side)
{
    QImage img(side, side, QImage::Format_RGB32);
    const int h = side / 2;
    QPainter p(&img);
    p.fillRect(0, 0, h, h, QColor(220, 30, 30));
    p.fillRect(h, 0, side - h, h, QColor(30, 180, 30));
    p.fillRect(0, h, h, side - h, QColor(30, 30, 220));
    p.fillRect(h, h, side - h, side - h, Qt::white);
    return img;
}

// 3. Bitmaps that carry a PNG and a JPEG file, as printer drivers write them.
QByteArray compressedBitmapsEmf()
{
    EmfWriter e;
    const QImage img = quadrants(32);
    for (const auto &kind : {std::pair<const char *, quint32>{"png", EmfWriter::BitmapPng},
                             std::pair<const char *, quint32>{"jpeg", EmfWriter::BitmapJpeg}}) {
        const QByteArray file = encoded(img, kind.first);
        const int x = kind.second == EmfWriter::BitmapPng ? 10 : 70;
        e.stretchDib(QRect(x, 10, 40, 40), QRect(0, 0, 32, 32), compressedInfo(img.size(), kind.second, file.size()),
                     file);
    }
    return e.finish(frame96(120, 60));
}

// 4. A pie drawn with a clip rectangle set, in a Windows metafile.
QByteArray clippedPieWmf()
{
    WmfWriter w;
    w.selectObject(w.createBrush(WmfWriter::BrushSolid, 0x30A050));
    w.intersectClipRect(QRect(0, 0, 1440, 1440));
    w.pie(QRect(180, 180, 1080, 1080), QPoint(1260, 720), QPoint(720, 180));
    return w.finish(QRect(0, 0, 1440, 1440), 1440);
}

// 6. 16-bit bitmaps: every level of each channel from black to full, and white.
QImage levels16(int greenBits)
{
    QImage img(64, 4, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int x = 0; x < 64; ++x) {
        const int five = (x % 32) << 3;
        const int green = greenBits == 6 ? x << 2 : five;
        img.setPixel(x, 0, qRgb(five, 0, 0));
        img.setPixel(x, 1, qRgb(0, green, 0));
        img.setPixel(x, 2, qRgb(0, 0, five));
    }
    return img;
}

// 7. Labels and a title laid out in Arial by their writer, each in the box drawn for it, the
// title's font given by its cell height.
QByteArray textInBoxesEmf()
{
    EmfWriter e;
    solid(e, 0xFFFFFF);
    e.rectangle(QRect(0, 0, 400, 140));
    e.selectObject(e.createPen(EmfWriter::PenSolid, 1, 0x000000));
    e.selectObject(e.createBrush(EmfWriter::BrushNull, 0));
    e.setBkMode(EmfWriter::Transparent);
    e.setTextAlign(EmfWriter::AlignTop);
    // The title: cell height 32, an em of 32 / 1.149 pixels in Arial.
    const QString title = QStringLiteral("Quarterly Sales Summary");
    const QVector<int> titleAdvances = sansAdvances(title, 32 / 1.149);
    int titleWidth = 0;
    for (int a : titleAdvances)
        titleWidth += a;
    e.rectangle(QRect(8, 8, titleWidth + 8, 40));
    e.selectObject(e.createFont(32, 700, EmfWriter::CharsetAnsi, QStringLiteral("Arial")));
    e.textOut(12, 12, title, titleAdvances);
    // Labels, em 14, each in a box as wide as its text, the last one centred on its point.
    e.selectObject(e.createFont(-14, 400, EmfWriter::CharsetAnsi, QStringLiteral("Arial")));
    const QString labels[] = {QStringLiteral("Northern region"), QStringLiteral("Total revenue 1999")};
    int y = 64;
    for (const QString &label : labels) {
        const QVector<int> advances = sansAdvances(label, 14);
        int width = 0;
        for (int a : advances)
            width += a;
        e.rectangle(QRect(8, y, width + 8, 24));
        e.textOut(12, y + 4, label, advances);
        y += 32;
    }
    e.setTextAlign(EmfWriter::AlignTop | EmfWriter::TextAlignCenter);
    const QString centred = QStringLiteral("Centred");
    const QVector<int> advances = sansAdvances(centred, 14);
    int width = 0;
    for (int a : advances)
        width += a;
    e.rectangle(QRect(300 - width / 2 - 4, 96, width + 8, 24));
    e.textOut(300, 100, centred, advances);
    return e.finish(frame96(400, 140));
}

// A 2 x 2 bitmap of four colours.
QImage tiny()
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(200, 0, 0));
    img.setPixel(1, 0, qRgb(0, 160, 0));
    img.setPixel(0, 1, qRgb(0, 0, 200));
    img.setPixel(1, 1, qRgb(200, 200, 0));
    return img;
}

// 8. Tiny bitmaps under a mapping whose y axis points up, from a window whose origin is not 0.
QByteArray tinyBitmapsEmf()
{
    EmfWriter e;
    e.setMapMode(EmfWriter::MapAnisotropic);
    e.setWindowOrg(0, 1000);
    e.setWindowExt(1000, -1000);
    e.setViewportOrg(0, 0);
    e.setViewportExt(100, 100);
    solid(e, 0xFFFFFF);
    e.rectangle(QRect(0, 0, 1000, 1000));
    // Upright: 2 x 2 pixels from a negative height, as y-up writers give it.
    e.stretchImage(QRect(100, 900, 20, -20), tiny());
    e.stretchImage(QRect(300, 900, 80, -80), tiny());
    // Turned over: a positive height under this mapping.
    e.stretchImage(QRect(600, 500, 200, 200), tiny());
    return e.finish(frame96(100, 100));
}

// 9. Every hatch style, on an opaque yellow background in the top row and on nothing below it.
QByteArray hatchesEmf()
{
    EmfWriter e;
    e.selectObject(e.createPen(EmfWriter::PenSolid, 1, 0x000000));
    e.setBkColor(0xFFFF00);
    for (int row = 0; row < 2; ++row) {
        e.setBkMode(row == 0 ? EmfWriter::Opaque : EmfWriter::Transparent);
        for (int style = EmfWriter::HatchHorizontal; style <= EmfWriter::HatchDiagonalCross; ++style) {
            const int brush = e.createBrush(EmfWriter::BrushHatched, 0x0000C0, style);
            e.selectObject(brush);
            if (style == EmfWriter::HatchDiagonalCross && row == 1)
                e.ellipse(QRect(10 + 50 * style, 60, 40, 40));
            else
                e.rectangle(QRect(10 + 50 * style, 10 + 50 * row, 40, 40));
            e.deleteObject(brush);
        }
    }
    return e.finish(frame96(310, 110));
}

// 10. Greek letters and symbols in the symbol font, as 8-bit and as wide text.
QByteArray symbolTextEmf()
{
    EmfWriter e;
    e.setBkMode(EmfWriter::Transparent);
    e.setTextAlign(EmfWriter::AlignTop);
    e.selectObject(e.createFont(-24, 400, EmfWriter::CharsetSymbol, QStringLiteral("Symbol")));
    // alpha beta gamma delta pi, then infinity, greater-or-equal and the radical sign
    e.textOutAnsi(10, 10, QByteArray("abgdp \xA5\xB3\xD6"), 36);
    // the same from the private-use range where wide text puts the symbol font's codes
    e.textOut(10, 50, QString::fromUtf16(u"\xF061\xF062\xF067\xF064\xF070\xF020\xF0A5\xF0B3\xF0D6"), 18);
    return e.finish(frame96(200, 90));
}

// 11. A colour space made, selected and deleted before a blue square on white, as writers that
// manage colour give it. The record's flags and data length follow the colour space; a length
// that reaches past the record is damage. dataBytes: the data the record carries.
QByteArray colourSpaceEmf(quint32 flags, quint32 dataSize, int dataBytes)
{
    namespace cs = picture::emf::colorSpaceW;
    const quint32 handle = 1; // deleted before the pen and brush take it
    ByteWriter body;
    body.u32(handle);
    body.u32(0x50534F43); // the colour space's signature, version, size and type (sRGB)
    body.u32(0x400);
    body.u32(quint32(cs::ColorSpaceSize));
    body.u32(0x73524742);
    body.u32(4);                              // intent: pictures
    body.zeros(int(cs::ColorSpaceSize) - 20); // end points, gammas, no file name
    body.u32(flags);
    body.u32(dataSize);
    for (int i = 0; i < dataBytes; ++i)
        body.u8(quint8(i));
    Q_ASSERT(body.size() == cs::Data - 8 + dataBytes); // the body follows the type and size
    EmfWriter e;
    e.record(picture::emf::CreateColorSpaceW, body.data());
    ByteWriter selected;
    selected.u32(handle);
    e.record(picture::emf::SetColorSpace, selected.data());
    e.record(picture::emf::DeleteColorSpace, selected.data());
    solid(e, 0xFFFFFF);
    e.rectangle(QRect(0, 0, 100, 100));
    e.selectObject(e.createBrush(EmfWriter::BrushSolid, 0x2040C0));
    e.rectangle(QRect(20, 20, 60, 60));
    return e.finish(frame96(100, 100));
}

} // namespace

int sansAdvance(QChar c)
{
    // Printable ASCII from the blank to the tilde.
    static const short widths[] = {
        278,  278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, // ' ' to '/'
        556,  556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, // '0' to '?'
        1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // '@' to 'O'
        667,  778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556, // 'P' to '_'
        333,  556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556, // '`' to 'o'
        556,  556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,      // 'p' to '~'
    };
    const int u = c.unicode();
    return u >= 0x20 && u <= 0x7E ? widths[u - 0x20] : 556;
}

QVector<int> sansAdvances(const QString &text, double em)
{
    QVector<int> advances;
    double pen = 0;
    for (QChar c : text) {
        // Each character starts where its width rounded from the text's start puts it.
        const double next = pen + sansAdvance(c) * em / 1000;
        advances.append(int(std::lround(next) - std::lround(pen)));
        pen = next;
    }
    return advances;
}

QByteArray busyChartEmf(int records)
{
    EmfWriter e;
    e.setBkMode(EmfWriter::Transparent);
    solid(e, 0xFFFFFF);
    e.rectangle(QRect(0, 0, 672, 480));
    // A grid with labels.
    const int gridPen = e.createPen(EmfWriter::PenSolid, 1, 0xD0D0D0);
    e.selectObject(gridPen);
    for (int x = 60; x <= 640; x += 29) {
        e.moveTo(x, 30);
        e.lineTo(x, 440);
    }
    for (int y = 30; y <= 440; y += 41) {
        e.moveTo(60, y);
        e.lineTo(640, y);
    }
    e.selectObject(e.createFont(-11, 400, EmfWriter::CharsetAnsi, QStringLiteral("Arial")));
    e.setTextAlign(EmfWriter::AlignTop | EmfWriter::TextAlignRight);
    for (int i = 0; i <= 10; ++i) {
        const QString label = QString::number(100 - 10 * i);
        e.textOut(55, 24 + 41 * i, label, sansAdvances(label, 11));
    }
    // Series: short segments, each drawn with its series' pen selected again for it, until
    // the records run out.
    const quint32 colours[] = {0x3060C0, 0xC04030, 0x30A050, 0xE0A020, 0x8040A0, 0x208080};
    int pens[6];
    for (int i = 0; i < 6; ++i)
        pens[i] = e.createPen(EmfWriter::PenSolid, 1, colours[i]);
    int series = 0;
    int written = 60;
    while (written < records) {
        const double phase = series * 0.7;
        double lastY = 235;
        for (int x = 60; x < 640 && written < records; ++x) {
            const double y = 235 + 150 * std::sin(x / 40.0 + phase) * std::cos(x / 170.0 + series);
            e.selectObject(pens[series % 6]);
            e.moveTo(x, int(std::lround(lastY)));
            e.lineTo(x + 1, int(std::lround(y)));
            lastY = y;
            written += 3;
        }
        ++series;
    }
    e.setBounds(QRect(0, 0, 672, 480));
    return e.finish(frame96(672, 480));
}

QVector<SampleFile> makeFaultFiles()
{
    QVector<SampleFile> files;
    files.append({QStringLiteral("emf-micrometres-24-times-millimetres.emf"), micrometresEmf()});
    files.append({QStringLiteral("emf-gradient-fill.emf"), gradientEmf()});
    files.append({QStringLiteral("emf-png-and-jpeg-bitmaps.emf"), compressedBitmapsEmf()});
    files.append({QStringLiteral("wmf-pie-with-clip.wmf"), clippedPieWmf()});
    bitmapfile::Bits16 rgb555;
    files.append({QStringLiteral("bitmap16-555.bmp"), bitmapfile::bmp16(levels16(5), rgb555)});
    bitmapfile::Bits16 rgb565;
    rgb565.bitFields = true;
    rgb565.red = 0xF800;
    rgb565.green = 0x07E0;
    rgb565.blue = 0x001F;
    rgb565.colours = 16;
    files.append({QStringLiteral("bitmap16-565-with-colour-table.bmp"), bitmapfile::bmp16(levels16(6), rgb565)});
    bitmapfile::Bits16 v5 = rgb565;
    v5.headerSize = 124;
    v5.colours = 0;
    v5.topDown = true;
    files.append({QStringLiteral("bitmap16-565-v5-top-down.bmp"), bitmapfile::bmp16(levels16(6), v5)});
    files.append({QStringLiteral("emf-text-in-boxes.emf"), textInBoxesEmf()});
    files.append({QStringLiteral("emf-tiny-bitmaps-y-up.emf"), tinyBitmapsEmf()});
    files.append({QStringLiteral("emf-hatched-brushes.emf"), hatchesEmf()});
    files.append({QStringLiteral("emf-symbol-font-text.emf"), symbolTextEmf()});
    files.append({QStringLiteral("emf-colour-space.emf"), colourSpaceEmf(0, 0, 0)});
    files.append({QStringLiteral("emf-colour-space-with-profile.emf"), colourSpaceEmf(1, 12, 12)});
    // Damaged: a profile of 64 KiB announced in a record that carries 4 bytes of it.
    files.append({QStringLiteral("emf-damaged-colour-space-data-past-record.emf"), colourSpaceEmf(1, 0x10000, 4)});
    return files;
}
