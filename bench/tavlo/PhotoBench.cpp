// SPDX-License-Identifier: GPL-2.0-or-later
// Camera photos in Tavlo, against the bare decode of the same files in the same run:
//   showStep of a 12- and a 24-megapixel JPEG;
//   copyAll of 200 12-megapixel JPEGs against the sum of their bare decodes;
//   the resident memory after copyAll of 500 12-megapixel JPEGs.
//   bench_photos [show|copyall|memory ...]   (all three by default)
#include "bench/tavlo/BenchSupport.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Program.h"
#include "tavlo/Form1.h"
#include "tavlo/Tavlo.h"
#include "tests/support/doubles/Doubles.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstdio>

using namespace tavlo;

using namespace bench;

namespace {

struct Suite
{
    sysinfo::FixedWorkArea area{0, 0, 19200, 15360};
    printer::RecordingPrinter printer;
    shell::RecordingLauncher launcher;
};

double residentMiB()
{
    QFile f("/proc/self/status");
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

double bareDecodeMs(const QString &path)
{
    return elapsedMs([&] {
        QImageReader reader(path);
        if (reader.read().isNull())
            std::abort();
    });
}

// Ten different photos, so that no decode meets the previous one's data in a cache.
QStringList photos(const QString &dir, int w, int h)
{
    QStringList out;
    for (int i = 0; i < 10; ++i) {
        const QString path = QString("%1/photo-%2x%3-%4.jpg").arg(dir).arg(w).arg(h).arg(i);
        if (!QFile::exists(path)) {
            QImage img = scene(w, h);
            img.setPixel(i, i, qRgb(i, 0, 0));
            img.save(path, "JPEG", 90);
        }
        out << path;
    }
    return out;
}

void show(const QString &dir)
{
    Suite s;
    std::printf("%-28s %12s %12s %8s\n", "showStep", "decode ms", "showStep ms", "ratio");
    for (const QSize size : {QSize(4000, 3000), QSize(6000, 4000)}) {
        const QString path = photos(dir, size.width(), size.height()).first();
        Tavlo tavlo(s.area, s.printer, s.launcher);
        tavlo.start({path});
        Form1 &f = tavlo.form1();
        f.Show();
        f.showStep(1); // warm the caches and the window once
        std::vector<double> decodes, shows;
        for (int i = 0; i < 9; ++i) {
            decodes.push_back(bareDecodeMs(path));
            shows.push_back(elapsedMs([&] { forms::runEvent([&] { f.showStep(0); }); }));
        }
        const double decode = median(decodes), step = median(shows);
        std::printf("%-28s %12.1f %12.1f %8.2f\n",
                    qPrintable(QString("%1x%2 JPEG").arg(size.width()).arg(size.height())), decode, step,
                    step / decode);
    }
}

// copyAll of count photos of 12 megapixels; returns its time and the sum of the bare decodes.
std::pair<double, double> copyAll(const QString &dir, int count)
{
    Suite s;
    const QStringList files = photos(dir, 4000, 3000);
    QStringList args;
    for (int i = 0; i < count; ++i)
        args << files[i % files.size()];
    double decodes = 0;
    for (const QString &path : args)
        decodes += bareDecodeMs(path);
    Tavlo t(s.area, s.printer, s.launcher);
    forms::runEvent([&] { t.start(args); });
    Form1 &f = t.form1();
    f.Show();
    forms::runEvent([&] { f.Command1_Click(); });
    const double ms = elapsedMs([&] { forms::runEvent([&] { f.copyAll(); }); });
    forms::DoEvents();
    return {ms, decodes};
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
    for (const QString &w : chosen(argc, argv, {"show", "copyall", "memory"})) {
        if (w == "show") {
            show(dir.path());
        } else if (w == "copyall") {
            const auto [ms, decodes] = copyAll(dir.path(), 200);
            std::printf("copyAll of 200 4000x3000 JPEGs: %.0f ms against %.0f ms of bare decodes: ratio %.2f\n", ms,
                        decodes, ms / decodes);
        } else if (w == "memory") {
            const double before = residentMiB();
            copyAll(dir.path(), 500);
            std::printf("copyAll of 500 4000x3000 JPEGs: resident %.0f MiB after (%.0f MiB before)\n", residentMiB(),
                        before);
        }
        std::fflush(stdout);
    }
    return 0;
}
