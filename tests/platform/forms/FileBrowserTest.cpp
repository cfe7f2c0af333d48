// SPDX-License-Identifier: GPL-2.0-or-later
// The drive, folder and file lists: read at once, ordered, with their events.
#include "platform/forms/DirListBox.h"
#include "platform/forms/DriveListBox.h"
#include "platform/forms/FileListBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/vb/vb.h"
#include "tests/support/TempDir.h"

#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QListWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

class Browser : public ::testing::Test
{
protected:
    Browser() : form(all, "F", 6000, 4000), drive(form, "Drive1"), dir(form, "Dir1"), files(form, "File1")
    {
        drive.Move(0, 0, 2500, 300);
        dir.Move(2600, 0, 3000, 3000);
        files.Move(0, 400, 2500, 3000);
        for (const char *d : {"beta", "Alpha", "gamma/inner", ".hidden"})
            QDir().mkpath(tmp.file(d));
        for (const char *f : {"b.LST", "a.lst", "c.txt", "d.jpg", "noext", ".secret.lst"})
            tmp.write(f, "x");
        form.Show();
    }
    forms::Forms all;
    forms::Form form;
    TempDir tmp;
    forms::DriveListBox drive;
    forms::DirListBox dir;
    forms::FileListBox files;
};

QStringList entries(const forms::FileListBox &f)
{
    QStringList out;
    for (int i = 0; i < f.ListCount(); ++i)
        out << f.List(i);
    return out;
}

} // namespace

TEST_F(Browser, DriveListHasTheRootFirstAndFindsTheVolumeOfAPath)
{
    ASSERT_GE(drive.ListCount(), 1);
    EXPECT_EQ(drive.List(0), "/");
    EXPECT_EQ(forms::DriveListBox::volumeOf("/"), "/");
    EXPECT_TRUE(tmp.path().startsWith(forms::DriveListBox::volumeOf(tmp.path())));
    int changes = 0;
    drive.Change = [&] { ++changes; };
    drive.setDrive(tmp.path());
    drive.setDrive(tmp.path());
    EXPECT_EQ(drive.Drive(), forms::DriveListBox::volumeOf(tmp.path()));
    EXPECT_LE(changes, 1) << "choosing the same volume again changes nothing";
    // The user picks the root from the list.
    auto *combo = static_cast<QComboBox *>(drive.widget());
    drive.setDrive("/");
    changes = 0;
    if (combo->count() > 1) {
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(drive.Drive(), drive.List(1));
    }
}

TEST_F(Browser, FolderListShowsTheFoldersAboveAndBelow)
{
    int changes = 0, clicks = 0;
    dir.Change = [&] { ++changes; };
    dir.Click = [&] { ++clicks; };
    dir.setPath(tmp.path());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dir.Path(), QDir::cleanPath(tmp.path()));
    ASSERT_EQ(dir.ListCount(), 3) << "hidden folders are left out";
    EXPECT_EQ(dir.List(0), QDir(tmp.path()).filePath("Alpha")) << "sorted without regard to case";
    EXPECT_EQ(dir.List(1), QDir(tmp.path()).filePath("beta"));
    EXPECT_EQ(dir.List(-1), dir.Path());
    EXPECT_EQ(dir.List(-2), QFileInfo(dir.Path()).absolutePath());
    EXPECT_EQ(dir.ListIndex(), -1);
    // A click on "gamma" makes it the ListIndex and raises Click; the program opens it.
    auto *w = static_cast<QListWidget *>(dir.widget());
    const int rows = w->count();
    const QRect r = w->visualItemRect(w->item(rows - 1));
    QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dir.ListIndex(), 2);
    dir.setPath(dir.List(dir.ListIndex()));
    EXPECT_EQ(dir.ListCount(), 1);
    EXPECT_EQ(dir.List(0), QDir(tmp.path()).filePath("gamma/inner"));
    EXPECT_THROW(dir.setPath(tmp.file("missing")), vb::RuntimeError);
    EXPECT_EQ(dir.Path(), QDir(tmp.path()).filePath("gamma"));
    // Enter on the highlighted entry raises Click too.
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Down);
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(dir.ListIndex(), 0);
}

TEST_F(Browser, FileListMatchesSeveralMasksWithoutRegardToCase)
{
    files.setPattern("*.lst;*.jpg");
    files.setPath(tmp.path());
    EXPECT_EQ(entries(files), QStringList({"a.lst", "b.LST", "d.jpg"}));
    files.setPattern("*.*");
    EXPECT_EQ(entries(files), QStringList({"a.lst", "b.LST", "c.txt", "d.jpg", "noext"}));
    tmp.write("e.lst", "y");
    files.setPattern("*.lst");
    EXPECT_EQ(files.ListCount(), 3) << "a new pattern reads the folder again";
    tmp.write("f.lst", "y");
    files.Refresh();
    EXPECT_EQ(files.ListCount(), 4);
    EXPECT_THROW(files.setPath(tmp.file("nowhere")), vb::RuntimeError);
}

TEST_F(Browser, FileListSelectsSeveralAndRaisesDoubleClickAndEnter)
{
    files.setMultiSelect(2);
    files.setPattern("*.*");
    files.setPath(tmp.path());
    int dbl = 0, enter = 0;
    files.DblClick = [&] { ++dbl; };
    files.KeyDown = [&](int &k, int) { enter += k == 13; };
    auto *v = files.view();
    const auto at = [&](int i) { return v->visualRect(v->model()->index(i, 0)).center(); };
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at(0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, at(2));
    EXPECT_EQ(files.selectedIndexes(), (std::vector<int>{0, 2}));
    QTest::mouseDClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, at(2));
    EXPECT_EQ(dbl, 1);
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Return);
    EXPECT_EQ(enter, 1);
    EXPECT_EQ(files.FileName(), "c.txt");
}
