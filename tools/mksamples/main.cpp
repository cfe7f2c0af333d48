// SPDX-License-Identifier: GPL-2.0-or-later
// mksamples: writes the sample pictures and list files of samples/, byte for byte the same on
// every run, or renders pictures to PNG files to look at.
//
//   mksamples FOLDER                  write the samples into FOLDER
//   mksamples --faults FOLDER         write the pictures of past loader faults into FOLDER
//   mksamples --render OUT FILE...    load each picture as the programs do and save OUT/NAME.png
#include "tools/mksamples/Faults.h"
#include "tools/mksamples/Samples.h"

#include "platform/picture/picture.h"
#include "platform/vb/vb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

namespace {

const char *kindName(picture::Kind k)
{
    switch (k) {
    case picture::Kind::Empty: return "empty";
    case picture::Kind::Bitmap: return "bitmap";
    case picture::Kind::Metafile: return "metafile";
    case picture::Kind::Icon: return "icon";
    case picture::Kind::EnhMetafile: return "enhanced metafile";
    }
    return "?";
}

int writeFiles(const QString &folder, const QVector<SampleFile> &files)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "mksamples: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    for (const SampleFile &s : files) {
        QFile f(QDir(folder).filePath(s.name));
        if (!f.open(QIODevice::WriteOnly) || f.write(s.bytes) != s.bytes.size()) {
            std::fprintf(stderr, "mksamples: cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
        std::printf("%-24s %8lld bytes\n", qPrintable(s.name), static_cast<long long>(s.bytes.size()));
    }
    return 0;
}

int render(const QString &out, const QStringList &files)
{
    QDir().mkpath(out);
    int status = 0;
    for (const QString &name : files) {
        try {
            const picture::Picture pic = picture::loadPicture(name);
            const QString png = QDir(out).filePath(QFileInfo(name).fileName() + QStringLiteral(".png"));
            QImage img = pic.toImage();
            if (!img.save(png, "PNG"))
                throw std::runtime_error("cannot save " + png.toStdString());
            std::printf("%-24s %-18s %5d x %-5d px  %8.1f x %-8.1f twips\n", qPrintable(QFileInfo(name).fileName()),
                        kindName(pic.kind()), pic.pixelSize().width(), pic.pixelSize().height(),
                        pic.twipsSize().width(), pic.twipsSize().height());
        } catch (const vb::RuntimeError &e) {
            std::printf("%-24s error %d: %s\n", qPrintable(QFileInfo(name).fileName()), e.number(), e.what());
            status = 1;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "mksamples: %s\n", e.what());
            return 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() >= 2 && args[0] == QLatin1String("--render"))
            return render(args[1], args.mid(2));
        if (args.size() == 2 && args[0] == QLatin1String("--faults"))
            return writeFiles(args[1], makeFaultFiles());
        if (args.size() == 1 && !args[0].startsWith(QLatin1String("--")))
            return writeFiles(args[0], makeSamples());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mksamples: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: mksamples FOLDER\n       mksamples --faults FOLDER\n"
                         "       mksamples --render OUTFOLDER PICTURE...\n");
    return 2;
}
