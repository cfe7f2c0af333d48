// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/Bytes.h"
#include "platform/picture/MetafileRecords.h"
#include "platform/picture/PictureData.h"

#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace picture {

namespace {

// Larger files are refused before they are read: no picture within the pixel bound needs more.
// A bitmap's pixels are read by the decoder straight from the file: at most 32 bits for each
// pixel the bound admits, behind the largest headers and colour table.
constexpr qint64 MaxBitmapFileBytes = MaxPixels * 4 + 64 * 1024;
// JPEG files and icons are read whole before they are decoded.
constexpr qint64 MaxRasterFileBytes = qint64(128) * 1024 * 1024;
// Metafiles are read whole and translated; the bounds of their records and drawing work
// (PictureData.h) admit nothing larger.
constexpr qint64 MaxMetafileBytes = qint64(64) * 1024 * 1024;

enum class Content { Unknown, Bitmap, Jpeg, Icon, Wmf, Emf };

// The kind of picture the first bytes announce.
Content sniff(const QByteArray &file)
{
    const detail::Bytes b(file);
    if (b.has(0, 2) && b.u8(0) == 'B' && b.u8(1) == 'M')
        return Content::Bitmap;
    if (b.has(0, 3) && b.u8(0) == 0xFF && b.u8(1) == 0xD8 && b.u8(2) == 0xFF)
        return Content::Jpeg;
    if (b.has(0, 6) && b.u16(0) == 0 && (b.u16(2) == 1 || b.u16(2) == 2))
        return Content::Icon;
    if (b.has(0, 4) && b.u32(wmf::placeable::Key) == wmf::placeable::KeyValue)
        return Content::Wmf;
    if (b.has(0, 6) &&
        (b.u16(wmf::header::Type) == wmf::header::InMemory || b.u16(wmf::header::Type) == wmf::header::OnDisk) &&
        b.u16(wmf::header::HeaderWords) == wmf::header::Words &&
        (b.u16(wmf::header::Version) == wmf::header::Version1 || b.u16(wmf::header::Version) == wmf::header::Version3))
        return Content::Wmf;
    if (b.has(0, emf::header::Signature + 4) && b.u32(emf::RecordType) == emf::Header &&
        b.u32(emf::header::Signature) == emf::header::SignatureValue)
        return Content::Emf;
    return Content::Unknown;
}

} // namespace

static std::shared_ptr<PictureData> loadFile(const QString &path)
{
    // Only a regular file is a picture: a device or a FIFO is reported as a file that cannot
    // be read, and is never read or waited for.
    QFile f;
    switch (fs::openRegularFile(path, f)) {
    case fs::FileCheck::Regular: break;
    case fs::FileCheck::Missing:
    case fs::FileCheck::Folder: vb::raiseError(vb::ErrFileNotFound);
    default: vb::raiseError(vb::ErrPathFileAccess);
    }
    const Content content = sniff(f.peek(64));
    if (content == Content::Bitmap) {
        if (f.size() > MaxBitmapFileBytes)
            detail::damaged();
        return detail::loadBitmap(f);
    }
    const bool metafile = content == Content::Wmf || content == Content::Emf;
    QByteArray file;
    switch (fs::readAtMost(f, metafile ? MaxMetafileBytes : MaxRasterFileBytes, &file)) {
    case fs::FileCheck::Regular: break;
    case fs::FileCheck::TooLarge: detail::damaged();
    default: vb::raiseError(vb::ErrPathFileAccess);
    }
    return detail::loadBytes(file);
}

Picture loadPicture(const QString &path)
{
    // An empty name asks for an empty picture, as the run time's LoadPicture does.
    if (path.isEmpty())
        return Picture();
    Picture p(loadFile(path));
    p.source_ = QFileInfo(path).absoluteFilePath();
    return p;
}

Picture loadPictureBytes(const QByteArray &file)
{
    const Content content = sniff(file);
    const bool metafile = content == Content::Wmf || content == Content::Emf;
    if (file.size() > (content == Content::Bitmap ? MaxBitmapFileBytes
                       : metafile                 ? MaxMetafileBytes
                                                  : MaxRasterFileBytes))
        detail::damaged();
    return Picture(detail::loadBytes(file));
}

namespace detail {

std::shared_ptr<PictureData> loadBytes(const QByteArray &file)
{
    switch (sniff(file)) {
    case Content::Bitmap: {
        QByteArray bytes = file; // shares, no copy
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return loadBitmap(buffer);
    }
    case Content::Jpeg: return loadJpeg(file);
    case Content::Icon: return loadIcon(file);
    case Content::Wmf: return loadWmf(file);
    case Content::Emf: return loadEmf(file);
    case Content::Unknown: break;
    }
    damaged();
}

} // namespace detail

} // namespace picture
