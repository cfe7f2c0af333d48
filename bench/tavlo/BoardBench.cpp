// SPDX-License-Identifier: GPL-2.0-or-later
// The icon board at full scale:
//   relocation of 2049 icons of mixed sizes in each of the four orders;
//   copyAll of 500 pictures onto boards;
//   the repaint of a board of 500 icons made from 4000 x 3000 JPEGs;
//   the resident memory of a board of 2049 such icons.
//   bench_board [relocate|copyall|repaint|memory ...]   (all four by default)
#include "bench/tavlo/BenchSupport.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Program.h"
#include "tavlo/Form1.h"
#include "tavlo/Form2.h"
#include "tavlo/Tavlo.h"
#include "tests/support/doubles/Doubles.h"

using namespace bench;

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tavlo;

namespace {

// Resident memory now and at its peak, in MiB.
std::pair<double, double> residentMiB()
{
    QFile f("/proc/self/status");
    double now = 0, peak = 0;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                now = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    return {now, peak};
}

struct Suite
{
    sysinfo::FixedWorkArea area{0, 0, 19200, 15360};
    printer::RecordingPrinter printer;
    shell::RecordingLauncher launcher;
};

// A board holding count icons of pic (or of mixed sizes without a picture), laid out.
Form2 &fill(Tavlo &t, int count, const picture::Picture &pic)
{
    Form2 &b = t.form2();
    b.Show();
    b.setWidth(19000); // a board as wide as the screen
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            b.Image1.Load(i);
        forms::Image &icon = b.Image1(i);
        if (pic.isEmpty()) {
            // Sizes of icons of pictures of every shape: 600 .. 2900 wide, 500 .. 2400 high.
            icon.Move(float(i * 37 % 4000), float(i * 53 % 9000), float(600 + (i * 7919) % 2300),
                      float(500 + (i * 104729) % 1900));
        } else {
            icon.Move(0, 0, 2582, 1936);
            icon.setPicture(pic);
        }
        icon.setToolTipText(QString::number(i % 2049 + 1));
        icon.setVisible(true);
    }
    return b;
}

void relocate()
{
    Suite s;
    std::printf("relocation of 2049 icons of mixed sizes\n");
    for (int order : {1, 4, 5, 6}) {
        Tavlo t(s.area, s.printer, s.launcher);
        Form2 &b = fill(t, 2049, picture::Picture());
        const double ms = elapsedMs([&] { forms::runEvent([&] { b.relocateIcons(order); }); });
        std::printf("  order %d: %8.1f ms  (container %.0f twips high)\n", order, ms, double(b.Picture1.Height()));
    }
}

void copyAll(const QString &dir)
{
    Suite s;
    const QString jpg = dir + "/copy.jpg";
    scene(800, 600).save(jpg, "JPEG", 90);
    QStringList args;
    for (int i = 0; i < 500; ++i)
        args << jpg;
    Tavlo t(s.area, s.printer, s.launcher);
    forms::runEvent([&] { t.start(args); });
    Form1 &f = t.form1();
    f.Show();
    f.Command1_Click();
    const double ms = elapsedMs([&] { forms::runEvent([&] { f.copyAll(); }); });
    int boards = 0;
    for (forms::Form *w : t.forms().all())
        boards += w->Name() == "Form2";
    std::printf("copyAll of 500 pictures (800 x 600 JPEG): %.0f ms, %.1f ms a picture, %d board(s)\n", ms, ms / 500,
                boards);
}

void repaint(const QString &dir)
{
    Suite s;
    const QString jpg = dir + "/photo.jpg";
    scene(4000, 3000).save(jpg, "JPEG", 90);
    Tavlo t(s.area, s.printer, s.launcher);
    Form2 &b = fill(t, 500, picture::loadPicture(jpg));
    forms::runEvent([&] { b.relocateIcons(1); });
    b.setHeight(15000);
    QImage target(b.window()->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int i = 0; i < 15; ++i)
        times.push_back(elapsedMs([&] { b.window()->render(&target); }));
    std::printf("repaint of a board of 500 icons of 4000 x 3000 JPEGs (%dx%d pixels): median %.2f ms\n", target.width(),
                target.height(), median(times));
}

void memory(const QString &dir)
{
    Suite s;
    const QString jpg = dir + "/photo.jpg";
    if (!QFile::exists(jpg))
        scene(4000, 3000).save(jpg, "JPEG", 90);
    const auto before = residentMiB();
    Tavlo t(s.area, s.printer, s.launcher);
    // Each icon gets a picture of its own, as copy gives it, read from the file.
    Form2 &b = t.form2();
    b.Show();
    for (int i = 0; i < 2049; ++i) {
        if (i > 0)
            b.Image1.Load(i);
        b.Image1(i).Move(0, 0, 2582, 1936);
        b.Image1(i).setPicture(picture::loadPicture(jpg));
        b.Image1(i).setVisible(true);
    }
    forms::runEvent([&] { b.relocateIcons(1); });
    const auto after = residentMiB();
    std::printf("a board of 2049 icons of 4000 x 3000 JPEGs: resident %.0f MiB (before %.0f), peak %.0f MiB\n",
                after.first, before.first, after.second);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::Program program;
    forms::setEndHook([] {});
    QTemporaryDir dir;
    for (const QString &w : chosen(argc, argv, {"relocate", "copyall", "repaint", "memory"})) {
        if (w == "relocate")
            relocate();
        else if (w == "copyall")
            copyAll(dir.path());
        else if (w == "repaint")
            repaint(dir.path());
        else if (w == "memory")
            memory(dir.path());
        std::fflush(stdout);
    }
    return 0;
}
