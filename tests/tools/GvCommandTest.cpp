// SPDX-License-Identifier: GPL-2.0-or-later
// Reading GV command texts, and the bitmaps the stand-in writes after Quantize.
#include "tools/gv/GvCommand.h"
#include "tools/gv/Bitmap.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using gv::Command;

TEST(GvCommand, ReadsEveryCommandTextOfTheTable)
{
    QString why;
    auto c = gv::parseExecute(QStringLiteral("[DispMsg(OFF)][ShowGV(OFF)][AutoOpenDocument(OFF)]"), &why);
    ASSERT_TRUE(c) << why.toStdString();
    ASSERT_EQ(c->size(), 3u);
    EXPECT_EQ((*c)[0].kind, Command::DispMsg);
    EXPECT_EQ((*c)[1].kind, Command::ShowGV);
    EXPECT_EQ((*c)[2].kind, Command::AutoOpenDocument);
    EXPECT_FALSE((*c)[2].on);

    c = gv::parseExecute(QStringLiteral("Quantize(ON,256,3,ON)"), &why);
    ASSERT_TRUE(c);
    EXPECT_EQ((*c)[0].kind, Command::Quantize);
    EXPECT_EQ((*c)[0].number, 256);
    EXPECT_TRUE((*c)[0].on2);

    // Bare paths may hold blanks, commas, brackets and even ")]" inside.
    c = gv::parseExecute(QStringLiteral("[FileOpen(/p/a b,(1)].jpg)][ClipCopyViewImage()]"), &why);
    ASSERT_TRUE(c) << why.toStdString();
    ASSERT_EQ(c->size(), 2u);
    EXPECT_EQ((*c)[0].path, QStringLiteral("/p/a b,(1)].jpg"));
    EXPECT_EQ((*c)[1].kind, Command::ClipCopyViewImage);

    c = gv::parseExecute(QStringLiteral("[FileOpen(\"/写真/x.jpg\")]"), &why);
    ASSERT_TRUE(c);
    EXPECT_EQ((*c)[0].path, QStringLiteral("/写真/x.jpg"));

    c = gv::parseExecute(QStringLiteral("[FileSaveEx(\"/w/Convert/a,b.bmp\",ON,ON)]"), &why);
    ASSERT_TRUE(c);
    EXPECT_EQ((*c)[0].kind, Command::FileSaveEx);
    EXPECT_EQ((*c)[0].path, QStringLiteral("/w/Convert/a,b.bmp"));

    c = gv::parseExecute(QStringLiteral("[MaxDisp(ON,ON,Black)]"), &why);
    ASSERT_TRUE(c);
    EXPECT_TRUE((*c)[0].on);
    EXPECT_EQ((*c)[0].colour, QColor(Qt::black));

    for (const char *text : {"ZoomRate(66)", "zoomrate(66)", "ExitGV()", "[IconGV(ON)][ShowGV(ON)]"})
        EXPECT_TRUE(gv::parseExecute(QString::fromUtf8(text), &why)) << text;
    EXPECT_EQ((*gv::parseExecute(QStringLiteral("ZoomRate(66)"), &why))[0].number, 66);
}

TEST(GvCommand, RefusesWhatItCannotReadWithAReason)
{
    const char *bad[] = {"",
                         "Bogus(1)",
                         "ZoomRate(0)",
                         "ZoomRate(big)",
                         "[ShowGV(MAYBE)]",
                         "[FileOpen()]",
                         "[FileOpen(\"/a.jpg)]",
                         "[ExitGV()",
                         "[ExitGV()] trailing",
                         "MaxDisp(ON,ON,NoColour)",
                         "Quantize(ON,1,3,ON)",
                         "[FileSaveEx(\"/a.bmp\")]",
                         "ExitGV(now)"};
    for (const char *text : bad) {
        QString why;
        EXPECT_FALSE(gv::parseExecute(QString::fromUtf8(text), &why)) << text;
        EXPECT_FALSE(why.isEmpty()) << text;
    }
}

namespace {

quint32 le32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}

} // namespace

TEST(GvBitmap, QuantizedSavesAreEightBitWithAtMostTheAskedColours)
{
    QImage photo(97, 61, QImage::Format_RGB32); // an odd width: rows need padding
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 255 / 96, y * 255 / 60, (x * y) % 256));

    for (bool dither : {false, true}) {
        const QImage q = gv::quantize(photo, 256, dither);
        EXPECT_EQ(q.format(), QImage::Format_Indexed8);
        EXPECT_LE(q.colorCount(), 256);
        long long error = 0;
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x) {
                const QRgb a = photo.pixel(x, y), b = q.pixel(x, y);
                error += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        EXPECT_LT(double(error) / (photo.width() * photo.height() * 3), 12.0) << "dither " << dither;
    }
    EXPECT_LE(gv::quantize(photo, 16, true).colorCount(), 16);

    // Few colours stay exact, and the file is still 8 bits with its palette.
    QImage flag(5, 3, QImage::Format_RGB32);
    flag.fill(Qt::white);
    flag.setPixel(2, 1, qRgb(200, 0, 0));
    const QImage few = gv::quantize(flag, 256, true);
    EXPECT_EQ(few.colorCount(), 2);
    EXPECT_EQ(few.pixel(2, 1), qRgb(200, 0, 0));

    QTemporaryDir dir;
    QString why;
    const QString path = dir.filePath(QStringLiteral("flag.bmp"));
    ASSERT_TRUE(gv::writeBitmap(few, path, &why)) << why.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(bytes, 2), quint32(bytes.size()));
    EXPECT_EQ(quint8(bytes[28]), 8); // bits per pixel
    EXPECT_EQ(le32(bytes, 46), 2u);  // colours used
    const QImage back(path);
    EXPECT_EQ(back.size(), flag.size());
    EXPECT_EQ(back.pixel(2, 1), qRgb(200, 0, 0));
    EXPECT_EQ(back.pixel(4, 2), qRgb(255, 255, 255));

    const QString photoPath = dir.filePath(QStringLiteral("photo.bmp"));
    ASSERT_TRUE(gv::writeBitmap(photo, photoPath, &why));
    const QImage photoBack(photoPath);
    EXPECT_EQ(photoBack.convertToFormat(QImage::Format_RGB32), photo);
    EXPECT_FALSE(gv::writeBitmap(photo, dir.filePath(QStringLiteral("no/such/folder.bmp")), &why));
    EXPECT_FALSE(why.isEmpty());
}
