// SPDX-License-Identifier: GPL-2.0-or-later
// Pictures made to hurt: special files named as pictures, metafile records too short for their
// type, and metafiles that ask for more drawing than one picture may take. Each is refused
// promptly with the error an unreadable or damaged file gives.
#include "platform/picture/MetafileRecords.h"
#include "tests/platform/picture/PictureTestSupport.h"

#include "tests/support/TempDir.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/WmfWriter.h"

#include <QFile>
#include <QPainter>

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include <sys/stat.h>

using picture::loadPicture;

namespace {

// A picture frame of w x h pixels, in hundredths of a millimetre.
QRect emfFrame(int w, int h) { return QRect(0, 0, w * 2540 / 96, h * 2540 / 96); }

// A plain Windows metafile whose window is w x h logical units, one to a pixel.
WmfWriter plainWmf(int w, int h)
{
    WmfWriter m;
    m.setWindowOrg(0, 0);
    m.setWindowExt(w, h);
    return m;
}

} // namespace

TEST(HostilePictures, DevicesAndFifosAreReportedAsUnreadable)
{
    TempDir dir;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("zero.bmp"))));
    const QByteArray fifo = QFile::encodeName(dir.file(QStringLiteral("pipe.jpg")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Each of these used to read without end or block for good.
    EXPECT_EQ(errorOf([] { loadPicture(QStringLiteral("/dev/zero")); }), vb::ErrPathFileAccess);
    EXPECT_EQ(errorOf([] { loadPicture(QStringLiteral("/dev/urandom")); }), vb::ErrPathFileAccess);
    EXPECT_EQ(errorOf([&] { loadPicture(dir.file(QStringLiteral("zero.bmp"))); }), vb::ErrPathFileAccess);
    EXPECT_EQ(errorOf([&] { loadPicture(QString::fromLocal8Bit(fifo)); }), vb::ErrPathFileAccess);
    // A link to a real picture is still a picture.
    ASSERT_TRUE(QFile::link(samplePath(QStringLiteral("drawing.emf")), dir.file(QStringLiteral("link.emf"))));
    EXPECT_EQ(loadPicture(dir.file(QStringLiteral("link.emf"))).kind(), picture::Kind::EnhMetafile);
}

TEST(HostilePictures, EnhancedRecordsShorterThanTheirTypeAreDamaged)
{
    // Clip rectangles, world transforms, arcs, ellipses, rectangles, pies and chords, each
    // given as a bare 8-byte record.
    namespace emf = picture::emf;
    for (quint32 type :
         {emf::ExcludeClipRect, emf::IntersectClipRect, emf::SetWorldTransform, emf::ModifyWorldTransform,
          emf::AngleArc, emf::Ellipse, emf::Rectangle, emf::RoundRect, emf::Arc, emf::Chord, emf::Pie, emf::ArcTo}) {
        EmfWriter w;
        w.record(type, QByteArray());
        SCOPED_TRACE(type);
        EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(w.finish(emfFrame(100, 100))); }), vb::ErrInvalidPicture);
    }
    // The same records at their full size draw.
    EmfWriter w;
    w.rectangle(QRect(10, 10, 50, 40));
    w.ellipse(QRect(20, 20, 30, 30));
    EXPECT_EQ(picture::loadPictureBytes(w.finish(emfFrame(100, 100))).kind(), picture::Kind::EnhMetafile);
}

TEST(HostilePictures, WindowsRecordsShorterThanTheirTypeAreDamaged)
{
    // Text with options, an escape and the palette records, each a word short of the counts
    // they are read by, as the file's last record: nothing may be read past the file's end
    // (the sanitizer build sees it; found by fuzzing).
    const struct
    {
        quint16 function;
        int params;
    } shortRecords[] = {{picture::wmf::ExtTextOut, 3},
                        {picture::wmf::Escape, 1},
                        {picture::wmf::CreatePalette, 1},
                        {picture::wmf::SetPalEntries, 1},
                        {picture::wmf::AnimatePalette, 1}};
    for (const auto &shortRecord : shortRecords) {
        WmfWriter w = plainWmf(100, 100);
        w.record(shortRecord.function, QVector<quint16>(shortRecord.params, 0));
        const QByteArray file = w.finishPlain();
        // Without its end-of-file record, in a block of exactly its size.
        const qsizetype size = file.size() - 6;
        std::unique_ptr<char[]> exact(new char[size_t(size)]);
        std::memcpy(exact.get(), file.constData(), size_t(size));
        SCOPED_TRACE(shortRecord.function);
        EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(QByteArray::fromRawData(exact.get(), size)); }),
                  vb::ErrInvalidPicture);
        EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(file); }), vb::ErrInvalidPicture);
    }
}

TEST(HostilePictures, HugeTextAdvancesAddUpWithoutOverflow)
{
    // Found by fuzzing: a double-byte character whose two bytes each advance by 2021161080
    // units made their sum overflow.
    EmfWriter w;
    w.selectObject(w.createFont(16, 400, EmfWriter::CharsetShiftJis, QStringLiteral("Gothic")));
    QByteArray body;
    auto u32 = [&body](quint32 v) {
        for (int i = 0; i < 4; ++i)
            body.append(char((v >> (8 * i)) & 0xFF));
    };
    for (int i = 0; i < 4; ++i)
        u32(0); // bounds
    u32(1);     // compatible graphics mode
    u32(0);
    u32(0);
    u32(10); // reference point
    u32(20);
    u32(2);  // characters (bytes)
    u32(76); // the string, from the record's start
    u32(0);  // options
    for (int i = 0; i < 4; ++i)
        u32(0);                     // no rectangle
    u32(80);                        // the advances
    body.append("\x83\x65\0\0", 4); // katakana TE
    u32(2021161080);
    u32(2021161080);
    w.record(picture::emf::ExtTextOutA, body);
    EXPECT_EQ(picture::loadPictureBytes(w.finish(emfFrame(200, 100))).kind(), picture::Kind::EnhMetafile);
}

TEST(HostilePictures, MetafilesThatAskForTooMuchDrawingAreDamaged)
{
    // Two thousand ellipses as large as the picture: seconds of filling.
    EmfWriter ellipses;
    for (int i = 0; i < 2000; ++i)
        ellipses.ellipse(QRect(0, 0, 1280, 1024));
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(ellipses.finish(emfFrame(1280, 1024))); }),
              vb::ErrInvalidPicture);

    // Ten thousand rectangles filling the frame, painted again on every repaint until now.
    WmfWriter rectangles = plainWmf(1280, 1024);
    for (int i = 0; i < 10000; ++i)
        rectangles.rectangle(QRect(0, 0, 1280, 1024));
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(rectangles.finishPlain()); }), vb::ErrInvalidPicture);

    // Three hundred thousand records, even of no drawing at all.
    WmfWriter records = plainWmf(100, 100);
    for (int i = 0; i < 300000; ++i)
        records.setBkMode(WmfWriter::Transparent);
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(records.finishPlain()); }), vb::ErrInvalidPicture);

    // 100 KB of text in glyphs 400 pixels high.
    WmfWriter text = plainWmf(1280, 1024);
    text.selectObject(text.createFont(400, 400, WmfWriter::CharsetShiftJis, "Gothic"));
    for (int i = 0; i < 2000; ++i)
        text.textOut((i * 37) % 1280, (i * 53) % 1024, QByteArray("\x83\x65\x83\x4C\x83\x58\x83\x67").repeated(5));
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(text.finishPlain()); }), vb::ErrInvalidPicture);

    // One polygon of two hundred points thrown across the frame: every pixel row is crossed by
    // dozens of edges, which the antialiased fill takes seconds for.
    QVector<QPoint> points;
    for (int i = 0; i < 200; ++i)
        points.append(QPoint(i * 7919 % 1280, i * 104729 % 1024));
    EmfWriter crowded;
    crowded.polygon(points);
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(crowded.finish(emfFrame(1280, 1024))); }), vb::ErrInvalidPicture);

    // A slanted line from inside the frame to 40 million pixels below it: the rasterizer walks
    // every row of it, seen or not (seconds). Found by fuzzing.
    EmfWriter far;
    far.selectObject(far.createPen(0, 6, 0x000000));
    far.moveTo(30, 185);
    far.lineTo(3000, 40000000);
    EXPECT_EQ(errorOf([&] { picture::loadPictureBytes(far.finish(emfFrame(336, 1000))); }), vb::ErrInvalidPicture);
}

TEST(HostilePictures, BusyButOrdinaryMetafilesStillDraw)
{
    // Thousands of small shapes, a few large ones, lines and some text.
    EmfWriter w;
    w.selectObject(w.createBrush(EmfWriter::BrushSolid, 0x3366CC));
    for (int i = 0; i < 5000; ++i)
        w.rectangle(QRect(i * 7 % 1270, i * 13 % 1014, 10, 10));
    for (int i = 0; i < 20; ++i)
        w.ellipse(QRect(0, 0, 1280, 1024));
    for (int i = 0; i < 200; ++i) {
        w.moveTo(i * 6, 0);
        w.lineTo(1279 - i * 6, 1023);
    }
    // Lines that run on a few frames beyond the picture.
    for (int i = 0; i < 20; ++i) {
        w.moveTo(i * 60, 0);
        w.lineTo(-3000 + i * 300, 5000);
    }
    w.selectObject(w.createFont(24, 400, EmfWriter::CharsetAnsi, QStringLiteral("Sans")));
    for (int i = 0; i < 200; ++i)
        w.textOut(i * 5 % 1200, i * 5 % 1000, QStringLiteral("Picture board"), 12);
    const picture::Picture pic = picture::loadPictureBytes(w.finish(emfFrame(1280, 1024)));
    EXPECT_EQ(pic.kind(), picture::Kind::EnhMetafile);
    EXPECT_EQ(pic.pixelSize(), QSize(1280, 1024));
}

TEST(HostilePictures, WhatTheRewritingAddsStaysBounded)
{
    // Each is decided (drawn, or refused at once) in well under 3 s outside the sanitizers.
    auto decide = [](const QByteArray &file) {
        [[maybe_unused]] const qint64 start = processorMs();
        const int error = errorOf([&] {
            const picture::Picture pic = picture::loadPictureBytes(file);
            pic.toImage(pic.pixelSize());
        });
#if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LT(processorMs() - start, 3000);
#endif
        return error;
    };
    // Fifty pictures' worth of diagonal cross-hatch: the hatches past the bound are filled solid.
    EmfWriter hatches;
    hatches.setBkMode(EmfWriter::Transparent);
    hatches.selectObject(hatches.createBrush(EmfWriter::BrushHatched, 0x000000, EmfWriter::HatchDiagonalCross));
    for (int i = 0; i < 50; ++i)
        hatches.ellipse(QRect(0, 0, 1280, 1024));
    EXPECT_EQ(decide(hatches.finish(emfFrame(1280, 1024))), 0);
    // Forty thousand characters, each placed by its advance.
    EmfWriter text;
    text.selectObject(text.createFont(-12, 400, EmfWriter::CharsetAnsi, QStringLiteral("Arial")));
    for (int row = 0; row < 40; ++row)
        text.textOut(0, row * 12, QString(1000, QLatin1Char('W')), 7);
    decide(text.finish(emfFrame(1280, 1024)));
    // Gradients of sixty-four bands each, thousands of them.
    EmfWriter gradients;
    for (int i = 0; i < 3000; ++i)
        gradients.gradientRect(QRect(i % 400, i % 300, 800, 600), 0xFF0000, 0x0000FF, i % 2);
    decide(gradients.finish(emfFrame(1280, 1024)));
}

TEST(HostilePictures, AMetafileIsDrawnOncePerSize)
{
    const picture::Picture pic = loadPicture(samplePath(QStringLiteral("drawing.wmf")));
    ASSERT_EQ(pic.kind(), picture::Kind::Metafile);
    const QSize natural = pic.pixelSize(), icon(64, 48);
    // The same drawing comes back for a size it was drawn at, also after another size.
    const QImage first = pic.toImage(natural);
    EXPECT_EQ(pic.toImage(icon).size(), icon);
    EXPECT_EQ(pic.toImage(natural).cacheKey(), first.cacheKey());
    // A window's repaint copies that drawing: what it shows is the drawing itself.
    QImage window(natural, QImage::Format_ARGB32_Premultiplied);
    window.fill(Qt::transparent);
    QPainter p(&window);
    pic.draw(p, QRectF(QPointF(0, 0), QSizeF(natural)));
    p.end();
    EXPECT_EQ(window, first);
}
