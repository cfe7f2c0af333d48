// SPDX-License-Identifier: GPL-2.0-or-later
// Showing a large picture in the main window against the bare decode of the same file.
//   bench_showstep [runs]
// Prints, per file, the median of the runs for both and their ratio.
#include "bench/tavlo/BenchSupport.h"
#include "platform/forms/Program.h"
#include "tavlo/Form1.h"
#include "tavlo/Tavlo.h"
#include "tests/support/doubles/Doubles.h"

using namespace bench;

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tavlo;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::Program program;
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;

    QTemporaryDir dir;
    const QImage img = scene(4000, 3000);
    const QString jpg = dir.filePath("photo.jpg"), bmp = dir.filePath("large.bmp");
    img.save(jpg, "JPEG", 90);
    img.convertToFormat(QImage::Format_RGB888).save(bmp, "BMP");

    sysinfo::FixedWorkArea area(0, 0, 15360, 11520);
    printer::RecordingPrinter printer;
    shell::RecordingLauncher launcher;

    std::printf("%-22s %12s %12s %12s %8s\n", "file", "decode ms", "load ms", "showStep ms", "ratio");
    for (const QString &path : {jpg, bmp}) {
        Tavlo tavlo(area, printer, launcher);
        forms::setEndHook([] {});
        tavlo.start({path});
        Form1 &f = tavlo.form1();
        f.showStep(1); // warm the caches and the window once
        // The three take turns, so that whatever else the machine does falls on all of them.
        std::vector<double> decodes, loads, shows;
        for (int i = 0; i < runs; ++i) {
            decodes.push_back(elapsedMs([&] {
                QImageReader reader(path);
                if (reader.read().isNull())
                    std::abort();
            }));
            loads.push_back(elapsedMs([&] { picture::loadPicture(path); }));
            shows.push_back(elapsedMs([&] { f.showStep(0); }));
        }
        const double decode = median(decodes), load = median(loads), show = median(shows);
        std::printf("%-22s %12.1f %12.1f %12.1f %8.2f\n", qPrintable(QFileInfo(path).fileName() + " 4000x3000"), decode,
                    load, show, show / decode);
    }
    return 0;
}
