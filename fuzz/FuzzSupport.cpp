// SPDX-License-Identifier: GPL-2.0-or-later
#include "fuzz/FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

void startGuiApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", "/tmp");
    new QGuiApplication(argc, argv); // lives as long as the process
    // The font database is read once, at the first text drawn: a window program has done so
    // before it shows a picture, so it is not counted against the first input.
    QImage warm(8, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&warm);
    p.drawText(QPointF(0, 8), QStringLiteral("A\u3042"));
}

FILE *streamOf(const uint8_t *data, size_t size)
{
    static int fd = -1;
    static FILE *fp = nullptr;
    if (fd < 0) {
        fd = memfd_create("fuzz-input", 0);
        fp = fd < 0 ? nullptr : fdopen(fd, "r");
        if (!fp)
            std::abort();
    }
    if (ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) ||
        lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    clearerr(fp);
    return fp;
}

} // namespace fuzz
