// SPDX-License-Identifier: GPL-2.0-or-later
// hostile_picture_bench: how long a hostile picture holds the window and how much memory it
// takes. Each case is a file made on the spot (or a special file), loaded in a process of its
// own: the figures are loadPicture, the first paint and a repaint of a 1280 x 1024 window that
// shows the picture at its natural size, and the process's peak memory.
//
//   hostile_picture_bench [case ...]      (default: every case)
#include "platform/picture/picture.h"
#include "platform/vb/vb.h"
#include "tools/mksamples/EmfWriter.h"
#include "tools/mksamples/WmfWriter.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int FrameW = 1280, FrameH = 1024;

// The frame of a 1280 x 1024 pixel picture, in hundredths of a millimetre.
QRect emfFrame() { return QRect(0, 0, FrameW * 2540 / 96, FrameH * 2540 / 96); }

QByteArray emfRectangles(int count)
{
    EmfWriter w;
    w.selectObject(w.createBrush(EmfWriter::BrushSolid, 0x3366CC));
    for (int i = 0; i < count; ++i)
        w.rectangle(QRect((i * 7) % (FrameW - 10), (i * 13) % (FrameH - 10), 10, 10));
    return w.finish(emfFrame());
}

QByteArray emfFullFrameEllipses(int count)
{
    EmfWriter w;
    w.selectObject(w.createBrush(EmfWriter::BrushSolid, 0xCC6633));
    for (int i = 0; i < count; ++i)
        w.ellipse(QRect(0, 0, FrameW, FrameH));
    return w.finish(emfFrame());
}

// A slanted line from inside the frame to rows pixels below it.
QByteArray emfLineBelow(int rows)
{
    EmfWriter w;
    w.moveTo(30, 185);
    w.lineTo(300, rows);
    return w.finish(emfFrame());
}

QByteArray wmfLines(int records)
{
    WmfWriter w;
    w.setWindowOrg(0, 0);
    w.setWindowExt(FrameW, FrameH);
    for (int i = 0; i < records / 2; ++i) {
        w.moveTo((i * 7) % FrameW, (i * 13) % FrameH);
        w.lineTo((i * 7) % FrameW + 3, (i * 13) % FrameH + 3);
    }
    return w.finishPlain();
}

QByteArray wmfFullFrameRectangles(int count)
{
    WmfWriter w;
    w.setWindowOrg(0, 0);
    w.setWindowExt(FrameW, FrameH);
    w.selectObject(w.createBrush(WmfWriter::BrushSolid, 0x33AA33));
    for (int i = 0; i < count; ++i)
        w.rectangle(QRect(0, 0, FrameW, FrameH));
    return w.finishPlain();
}

// Text records in a large font, about bytes long in all.
QByteArray wmfText(int bytes, int height)
{
    WmfWriter w;
    w.setWindowOrg(0, 0);
    w.setWindowExt(FrameW, FrameH);
    w.selectObject(w.createFont(height, 400, WmfWriter::CharsetShiftJis, QByteArray("\x82\x6c\x82\x72 Gothic")));
    // "テキスト" repeated: double-byte text.
    const QByteArray text = QByteArray("\x83\x65\x83\x4C\x83\x58\x83\x67").repeated(10);
    const int records = bytes / (text.size() + 12);
    for (int i = 0; i < records; ++i)
        w.textOut((i * 37) % FrameW, (i * 53) % FrameH, text);
    return w.finishPlain();
}

QByteArray emfLongPolygon(int points)
{
    EmfWriter w;
    QVector<QPoint> pts;
    pts.reserve(points);
    for (qint64 i = 0; i < points; ++i)
        pts.append(QPoint(int(i * 7919 % FrameW), int(i * 104729 % FrameH)));
    w.polygon(pts);
    return w.finish(emfFrame());
}

// A run-length bitmap of side x side pixels whose data ends at once: every pixel is the
// background, from a file of about a kilobyte.
QByteArray rleBomb(int side)
{
    QByteArray b;
    auto u16 = [&b](quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&](quint32 v) {
        u16(quint16(v));
        u16(quint16(v >> 16));
    };
    const quint32 offBits = 14 + 40 + 256 * 4;
    b.append("BM");
    u32(offBits + 2);
    u32(0);
    u32(offBits);
    u32(40);
    u32(quint32(side));
    u32(quint32(side));
    u16(1);
    u16(8);
    u32(1); // RLE8
    u32(2);
    u32(2835);
    u32(2835);
    u32(256);
    u32(0);
    for (int i = 0; i < 256; ++i)
        u32(quint32(i * 0x010101));
    b.append('\0').append('\1'); // end of bitmap
    return b;
}

// A JPEG of w x h pixels of one colour.
QByteArray flatJpegSized(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 50);
    return out;
}

QByteArray flatJpeg(int side) { return flatJpegSized(side, side); }

struct Case
{
    const char *name;
    std::function<QByteArray()> make; // null: the path is used as it is
    const char *path;
};

const std::vector<Case> &cases()
{
    static const std::vector<Case> all = {
        {"emf-1M-small-rectangles", [] { return emfRectangles(1000000); }, "a.emf"},
        {"emf-200k-small-rectangles", [] { return emfRectangles(200000); }, "b.emf"},
        {"emf-2000-full-frame-ellipses", [] { return emfFullFrameEllipses(2000); }, "c.emf"},
        {"emf-polygon-of-1M-points", [] { return emfLongPolygon(1000000); }, "d.emf"},
        {"wmf-3M-records", [] { return wmfLines(3000000); }, "e.wmf"},
        {"wmf-100k-full-frame-rectangles", [] { return wmfFullFrameRectangles(100000); }, "f.wmf"},
        {"wmf-100KB-text-height-400", [] { return wmfText(100000, 400); }, "g.wmf"},
        {"wmf-100KB-text-height-30000", [] { return wmfText(100000, 30000); }, "h.wmf"},
        {"emf-15k-small-rectangles", [] { return emfRectangles(15000); }, "k.emf"},
        {"emf-100-full-frame-ellipses", [] { return emfFullFrameEllipses(100); }, "l.emf"},
        {"wmf-200-full-frame-rectangles", [] { return wmfFullFrameRectangles(200); }, "m.wmf"},
        {"wmf-10KB-text-height-400", [] { return wmfText(10000, 400); }, "n.wmf"},
        {"wmf-30k-records", [] { return wmfLines(30000); }, "o.wmf"},
        {"emf-polygon-of-1000-points", [] { return emfLongPolygon(1000); }, "i.emf"},
        {"emf-polygon-of-100-points", [] { return emfLongPolygon(100); }, "j.emf"},
        {"emf-line-to-1M-rows-below", [] { return emfLineBelow(1000000); }, "s.emf"},
        {"emf-line-to-10M-rows-below", [] { return emfLineBelow(10000000); }, "t.emf"},
        {"emf-line-to-10k-rows-below", [] { return emfLineBelow(10000); }, "u.emf"},
        {"sample-wmf", nullptr, SUITE_SOURCE_DIR "/samples/drawing.wmf"},
        {"sample-emf", nullptr, SUITE_SOURCE_DIR "/samples/drawing.emf"},
        {"rle8-8192x8192-of-1KB", [] { return rleBomb(8192); }, "p.bmp"},
        {"jpeg-8192x8192-flat", [] { return flatJpeg(8192); }, "q.jpg"},
        {"jpeg-4000x3000-flat", [] { return flatJpegSized(4000, 3000); }, "r.jpg"},
        {"dev-zero", nullptr, "/dev/zero"},
        {"dev-urandom", nullptr, "/dev/urandom"},
        {"fifo", nullptr, "fifo.bmp"},
    };
    return all;
}

double elapsedMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// In the child: loads and paints, prints one line of figures.
int measure(const QString &path)
{
    int argc = 1;
    char name[] = "hostile_picture_bench";
    char *argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    picture::Picture pic;
    int error = 0;
    const double load = elapsedMs([&] {
        try {
            pic = picture::loadPicture(path);
        } catch (const vb::RuntimeError &e) {
            error = e.number();
        }
    });
    double first = 0, again = 0;
    if (!error) {
        QImage window(FrameW, FrameH, QImage::Format_ARGB32_Premultiplied);
        auto paint = [&] {
            window.fill(Qt::white);
            QPainter p(&window);
            p.setClipRect(QRect(0, 0, FrameW, FrameH));
            pic.draw(p, QRectF(QPointF(0, 0), QSizeF(pic.pixelSize())));
        };
        first = elapsedMs(paint);
        again = elapsedMs(paint);
    }
    std::printf("%-8s %9.1f %9.1f %9.1f", error ? qPrintable(QStringLiteral("err %1").arg(error)) : "shown", load,
                first, again);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<std::string> wanted(argv + 1, argv + argc);
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo.bmp")));
    ::mkfifo(fifo.constData(), 0600);

    std::printf("%-32s %10s %-8s %9s %9s %9s %9s\n", "case", "bytes", "outcome", "load ms", "paint ms", "again ms",
                "peak MiB");
    // Arguments that name files are measured as they are, after the chosen cases.
    std::vector<Case> all = cases();
    std::vector<std::string> absolute(wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        const QFileInfo file(QString::fromStdString(wanted[i]));
        if (!file.isFile())
            continue;
        absolute[i] = file.absoluteFilePath().toStdString();
        all.push_back({wanted[i].c_str(), nullptr, absolute[i].c_str()});
    }
    for (const Case &c : all) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), c.name) == wanted.end())
            continue;
        QString path = QString::fromUtf8(c.path);
        qint64 bytes = 0;
        if (c.make) {
            const QByteArray data = c.make();
            bytes = data.size();
            path = dir.filePath(path);
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
                return 1;
        } else if (!path.startsWith(QLatin1Char('/'))) {
            path = dir.filePath(path);
        }
        std::printf("%-32s %10lld ", c.name, static_cast<long long>(bytes));
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0) {
            alarm(300); // a case that never ends is reported as killed
            // A case that takes without bound fails here instead of taking the machine down.
            const rlimit space{rlim_t(4) << 30, rlim_t(4) << 30};
            setrlimit(RLIMIT_AS, &space);
            std::_Exit(measure(path));
        }
        int status = 0;
        rusage use{};
        wait4(pid, &status, 0, &use);
        if (WIFSIGNALED(status))
            std::printf("killed by signal %d after the figures above", WTERMSIG(status));
        std::printf(" %9.1f\n", use.ru_maxrss / 1024.0);
    }
    return 0;
}
