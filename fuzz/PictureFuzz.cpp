// SPDX-License-Identifier: GPL-2.0-or-later
// One picture kind per target (PICTURE_KIND: bmp, jpeg, ico, wmf, emf): the input is loaded as
// a whole file of that kind and, when it loads, drawn at its natural size as a window shows it
// (metafiles), or decoded (the raster kinds). Inputs of another kind are passed over, so that
// each target spends its time on its own parser.
#include "fuzz/FuzzSupport.h"

#include "platform/picture/picture.h"
#include "platform/vb/vb.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstring>

namespace {

bool ofKind(const uint8_t *d, size_t n)
{
    const char *kind = PICTURE_KIND;
    if (std::strcmp(kind, "bmp") == 0)
        return n >= 2 && d[0] == 'B' && d[1] == 'M';
    if (std::strcmp(kind, "jpeg") == 0)
        return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF;
    if (std::strcmp(kind, "ico") == 0)
        return n >= 6 && d[0] == 0 && d[1] == 0 && (d[2] == 1 || d[2] == 2) && d[3] == 0;
    if (std::strcmp(kind, "wmf") == 0)
        return n >= 6 && ((d[0] == 0xD7 && d[1] == 0xCD && d[2] == 0xC6 && d[3] == 0x9A) || (d[2] == 9 && d[3] == 0));
    if (std::strcmp(kind, "emf") == 0)
        return n >= 44 && d[0] == 1 && d[1] == 0 && d[2] == 0 && d[3] == 0 && std::memcmp(d + 40, " EMF", 4) == 0;
    return false;
}

// A raster picture's decode takes time in proportion to its pixels, up to the pixel bound
// (64 Mi pixels, over a second), however few bytes announce them: the bench measures that.
// Here such pictures are passed over, so that the time goes to the parsers.
bool manyPixels(const QByteArray &file)
{
    QByteArray bytes = file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize s = QImageReader(&buffer).size();
    return s.isValid() && qint64(s.width()) * s.height() > 4 * 1024 * 1024;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!ofKind(data, size))
        return 0;
    const QByteArray file = fuzz::bytes(data, size);
    const bool metafile = std::strcmp(PICTURE_KIND, "wmf") == 0 || std::strcmp(PICTURE_KIND, "emf") == 0;
    if (!metafile && manyPixels(file))
        return 0;
    try {
        const picture::Picture pic = picture::loadPictureBytes(file);
        if (pic.kind() == picture::Kind::Metafile || pic.kind() == picture::Kind::EnhMetafile) {
            // As the window paints it: the whole picture at its natural size.
            QImage window(pic.pixelSize().boundedTo(QSize(1280, 1024)), QImage::Format_ARGB32_Premultiplied);
            window.fill(Qt::white);
            QPainter p(&window);
            pic.draw(p, QRectF(QPointF(0, 0), QSizeF(pic.pixelSize())));
        }
    } catch (const vb::RuntimeError &) {
        // A damaged picture is reported as such: the expected outcome for most inputs.
    }
    return 0;
}
