// SPDX-License-Identifier: GPL-2.0-or-later
// The main window around its picture: heights, bars, scrolling, resize, display changes.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"

#include <QImageWriter>
#include <QMainWindow>

#include "tavlo/Form2.h"

class Layout : public TavloTest
{
protected:
    // Starts with one picture of w x h pixels and shows it.
    void showPicture(int w, int h, bool chooser = true)
    {
        start({picture("p.bmp", w, h)});
        f().Combo1.setVisible(chooser);
        f().Command1_Click();
    }
    float frameH() { return f().Height() - f().ScaleHeight(); }
};

TEST_F(Layout, ASmallPictureShrinksTheWindowToFit)
{
    showPicture(32, 24);
    EXPECT_FLOAT_EQ(f().Picture1.Top(), 840) << "60 twips under the chooser";
    EXPECT_FLOAT_EQ(f().VScroll1.Top(), 840);
    EXPECT_FLOAT_EQ(f().Picture1.Height(), 24 * 15 + 60);
    EXPECT_FLOAT_EQ(f().Height(), 420 + 840 + frameH());
    EXPECT_FLOAT_EQ(f().ScaleHeight(), 1260);
    EXPECT_FALSE(f().VScroll1.Visible());
    EXPECT_FALSE(f().HScroll1.Visible());
    EXPECT_EQ(f().VScroll1.Value(), 0);
    EXPECT_FLOAT_EQ(f().Width(), 4845) << "the width is the user's";
}

TEST_F(Layout, WithoutTheChooserTheCanvasStartsUnderTheButtons)
{
    showPicture(32, 24, false);
    EXPECT_FLOAT_EQ(f().Picture1.Top(), 495);
}

TEST_F(Layout, APictureTallerThanTheWorkAreaGetsTheVerticalBar)
{
    showPicture(100, 1000);
    EXPECT_FLOAT_EQ(f().Height(), 11520);
    ASSERT_TRUE(f().VScroll1.Visible());
    EXPECT_FLOAT_EQ(f().VScroll1.Top(), 840);
    EXPECT_FLOAT_EQ(f().VScroll1.Height(), f().ScaleHeight() - 840);
    EXPECT_FLOAT_EQ(f().VScroll1.Left(), f().ScaleWidth() - 255);

    // The first move of the bar sets its range; the canvas follows the value.
    f().VScroll1.setValue(300);
    const int max = vb::CInt(f().Picture1.Height() - f().ScaleHeight() + 840);
    EXPECT_EQ(f().VScroll1.Max(), max);
    EXPECT_EQ(f().VScroll1.LargeChange(), vb::CInt(max / 8.0));
    EXPECT_EQ(f().VScroll1.SmallChange(), vb::CInt(max / 200.0));
    EXPECT_FLOAT_EQ(f().Picture1.Top(), 840 - 300);
    EXPECT_TRUE(f().Picture1.Visible());

    // The next step starts at the top again.
    f().Command1_Click();
    EXPECT_EQ(f().VScroll1.Value(), 0);
    EXPECT_FLOAT_EQ(f().Picture1.Top(), 840);
}

TEST_F(Layout, APictureWiderThanTheWindowGetsTheHorizontalBar)
{
    showPicture(600, 50);
    ASSERT_TRUE(f().HScroll1.Visible());
    EXPECT_FLOAT_EQ(f().HScroll1.Width(), f().ScaleWidth() - 256);
    EXPECT_FLOAT_EQ(f().Height(), 50 * 15 + 60 + 840 + frameH() + 255) << "grown by the bar";
    EXPECT_FLOAT_EQ(f().HScroll1.Top(), f().ScaleHeight() - 255);
    EXPECT_FALSE(f().VScroll1.Visible());

    f().HScroll1.setValue(100);
    EXPECT_FLOAT_EQ(f().Picture1.Left(), -100);
    const int max = vb::CInt(f().Picture1.ScaleWidth() - f().ScaleWidth());
    EXPECT_EQ(f().HScroll1.Max(), max);
    EXPECT_EQ(f().HScroll1.SmallChange(), vb::CInt(max / 100.0));

    // Without a background click the stepping stays with the buttons while the bar shows.
    f().Form_Click();
    EXPECT_EQ(m().stepDir, 1);
}

TEST_F(Layout, HorizontalRangesBeyond16BitsAreScaled)
{
    showPicture(3000, 20);
    f().HScroll1.setValue(1);
    EXPECT_EQ(f().HScroll1.Max(), 32767);
    f().HScroll1.setValue(32767);
    const double range = double(f().Picture1.ScaleWidth()) - f().ScaleWidth();
    EXPECT_NEAR(f().Picture1.Left(), -range, 0.5) << "the far end of the bar shows the far end of the picture";
}

TEST_F(Layout, StepsNeverFallBelowOne)
{
    // A picture 3 pixels wider than the client area: a range of 45 twips.
    start({picture("p.bmp", 4845 / 15 + 3, 10)});
    f().Command1_Click();
    ASSERT_TRUE(f().HScroll1.Visible());
    f().HScroll1.setValue(10);
    EXPECT_EQ(f().HScroll1.Max(), 45);
    EXPECT_EQ(f().HScroll1.SmallChange(), 1) << "45 / 100 would be 0";
    EXPECT_EQ(f().HScroll1.LargeChange(), 6);
    EXPECT_FLOAT_EQ(f().Picture1.Left(), -10);
}

TEST_F(Layout, CameraPhotosAreShownScrolledAndCopiedWithTheirOwnAspect)
{
    // Every 12-megapixel photo is taller than 16 bits of twips can say (2184 pixels).
    QStringList photos;
    const std::vector<QSize> sizes = {{4000, 3000}, {3000, 4000}, {6000, 4000}, {40, 2300}};
    for (const QSize &size : sizes)
        photos << picture(QString("photo%1.jpg").arg(photos.size()), size.width(), size.height());
    start(photos);
    f().Show();
    for (size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(photos[int(i)].toStdString());
        f().Command1_Click();
        EXPECT_EQ(message(), "") << "a photo is no damaged file";
        EXPECT_EQ(f().Picture1.Picture().pixelSize(), sizes[i]);
        EXPECT_FLOAT_EQ(f().Height(), 11520) << "as high as the work area";
        EXPECT_TRUE(f().VScroll1.Visible());
        EXPECT_EQ(f().HScroll1.Visible(), sizes[i].width() * 15 > f().Width());
        f().VScroll1.setValue(f().VScroll1.Max());
        EXPECT_LT(f().Picture1.Top(), 0) << "scrolled down the photo";
        f().menu3_Click();
        const forms::Image &icon = m().subForm->Image1(int(i));
        EXPECT_TRUE(icon.Visible());
        EXPECT_NEAR(icon.Width() / icon.Height(), double(sizes[i].width()) / sizes[i].height(), 0.01);
        if (sizes[i].width() > 1000) {
            EXPECT_NEAR(double(icon.Width()) * icon.Height(), m().iconArea, m().iconArea * 0.001);
        }
    }
}

TEST_F(Layout, PhotosAreShownUprightAsTheirOrientationTagSays)
{
    // A phone stores a portrait photo as the sensor saw it (wide) and says in a tag to turn it.
    QImage stored(40, 20, QImage::Format_RGB32);
    stored.fill(Qt::red);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 20; ++y)
            stored.setPixelColor(x, y, Qt::blue); // the left edge, which turns to the top
    const QString path = dir.file("portrait.jpg");
    QImageWriter writer(path, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(stored));

    start({path});
    f().Command1_Click();
    const QImage shown = f().Picture1.Picture().toImage();
    ASSERT_EQ(shown.size(), QSize(20, 40));
    EXPECT_GT(QColor(shown.pixel(10, 2)).blue(), 200) << "turned a quarter clockwise";
    EXPECT_GT(QColor(shown.pixel(10, 37)).red(), 200);
    EXPECT_FLOAT_EQ(f().Picture1.Width(), 20 * 15 + 60);
    f().menu3_Click();
    const forms::Image &icon = m().subForm->Image1(0);
    EXPECT_LT(icon.Width() * 1.5f, icon.Height()) << "the icon stands upright too";
}

TEST_F(Layout, AMaximizedWindowKeepsItsSize)
{
    start({picture("p.bmp", 32, 24)});
    f().setWindowState(forms::vbMaximized);
    forms::DoEvents();
    ASSERT_EQ(f().WindowState(), forms::vbMaximized);
    const float h = f().Height();
    f().Command1_Click();
    EXPECT_FLOAT_EQ(f().Height(), h);
    EXPECT_FLOAT_EQ(f().Picture1.Top(), 840);
}

TEST_F(Layout, ResizeReloadsTheShownPicture)
{
    showPicture(100, 1000);
    f().VScroll1.setValue(200);
    f().setWidth(9000);
    EXPECT_FLOAT_EQ(f().Line1.X2(), f().ScaleWidth());
    EXPECT_EQ(f().VScroll1.Value(), 0);
    EXPECT_FLOAT_EQ(f().Picture1.Top(), 840);
    EXPECT_FLOAT_EQ(f().VScroll1.Left(), f().ScaleWidth() - 255);

    // Before any picture only the line follows.
    start({});
    f().setWidth(6000);
    EXPECT_FLOAT_EQ(f().Line1.X2(), f().ScaleWidth());
    EXPECT_EQ(f().Caption(), "Form1");
}

TEST_F(Layout, ADisplayChangeKeepsTheActiveWindowOnTheWorkArea)
{
    start({});
    f().Move(3000, 2000, 9000, 8000);
    f().window()->activateWindow();
    forms::DoEvents();
    ASSERT_EQ(t().forms().active(), &f());
    area.change({150, 300, 6000, 5000});
    EXPECT_FLOAT_EQ(f().Left(), 150);
    EXPECT_FLOAT_EQ(f().Width(), 6000);
    EXPECT_FLOAT_EQ(f().Top(), 300);
    EXPECT_FLOAT_EQ(f().Height(), 5000);
    // A window that fits is left where it is.
    area.change({0, 0, 15360, 11520});
    EXPECT_FLOAT_EQ(f().Left(), 150);
}

TEST_F(Layout, FitToWorkArea)
{
    start({});
    forms::Form other(t().forms(), "Other", 3000, 500);
    other.Move(14000, 11520 - 200, 3000, 500);
    f().fitToWorkArea(other);
    EXPECT_FLOAT_EQ(other.Left(), 15360 - 3000);
    EXPECT_FLOAT_EQ(other.Height(), 600) << "never below 600 twips";
    other.Move(100, 1000, 3000, 2000);
    f().fitToWorkArea(other);
    EXPECT_FLOAT_EQ(other.Left(), 100);
    EXPECT_FLOAT_EQ(other.Height(), 2000);
    other.Move(100, 10000, 3000, 4000);
    f().fitToWorkArea(other);
    EXPECT_FLOAT_EQ(other.Height(), 1520);
}
