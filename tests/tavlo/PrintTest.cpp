// SPDX-License-Identifier: GPL-2.0-or-later
// Printing the shown picture through the print window.
#include "tests/tavlo/TavloFixture.h"

#include "tavlo/FormPrn.h"
#include "tavlo/modlessMsgBox.h"

#include <QFile>
#include <QImage>

using Printing = TavloTest;

TEST_F(Printing, ThePictureAtItsCanvasSize)
{
    start({picture("p.bmp", 32, 24)});
    f().menu11_Click();
    EXPECT_EQ(printer.documents, 0) << "nothing is shown yet: nothing to print";
    f().Command1_Click();
    f().menu11_Click();
    ASSERT_EQ(printer.documents, 1);
    ASSERT_EQ(printer.drawings.size(), 1u);
    EXPECT_EQ(printer.drawings[0].twips, QRectF(0, 0, 540, 420));
    EXPECT_EQ(printer.drawings[0].pictureSize, QSize(32, 24));
    FormPrn &prn = t().formPrn();
    EXPECT_FLOAT_EQ(prn.Height(), 420 + 400);
    EXPECT_FLOAT_EQ(prn.Width(), 540 + 120);
    EXPECT_FALSE(prn.Visible());
    EXPECT_EQ(message(), "");
}

TEST_F(Printing, IconsAndCursorsPrintTwiceTheirSize)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    const QString ico = dir.file("i.ico");
    ASSERT_TRUE(icon.save(ico, "ICO"));
    start({ico});
    f().Command1_Click();
    f().menu11_Click();
    ASSERT_EQ(printer.drawings.size(), 1u);
    EXPECT_EQ(printer.drawings[0].twips.size(), QSizeF(2 * (480 + 60), 2 * (480 + 60)));
}

TEST_F(Printing, APrinterErrorIsReportedAndTheProgramGoesOn)
{
    start({picture("p.bmp")});
    f().Command1_Click();
    printer.failWith = "paper jam";
    f().menu11_Click();
    EXPECT_EQ(message(), QString::fromUtf8("印刷できませんでした。") + "\r\npaper jam");
    EXPECT_FALSE(ended);
}

TEST_F(Printing, WithoutAPrinterThePictureGoesToAPdfFile)
{
    printer::SystemPrinter pdf(dir.file("out"), true);
    Tavlo tavlo(area, pdf, launcher);
    tavlo.start({picture("p.bmp", 64, 48)});
    tavlo.form1().Command1_Click();
    tavlo.form1().menu11_Click();
    const QString file = pdf.outputFile();
    ASSERT_FALSE(file.isEmpty());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
    EXPECT_GT(f.size(), 500);
    auto *box = tavlo.forms().find("modlessMsgBox");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(static_cast<modlessMsgBox *>(box)->Text1.Text().startsWith(file + "\r\n"));
}
