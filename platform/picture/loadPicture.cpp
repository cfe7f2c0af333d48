#include "platform/picture/PictureData.h"
#include "platform/picture/Bytes.h"

#include "platform/vb/vb.h"

#include <QFile>
#include <QFileInfo>

namespace picture {

namespace {

// Larger files are refused before they are read: no picture within the pixel bound needs more.
constexpr qint64 MaxFileBytes = qint64(512) * 1024 * 1024;

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
    if (b.has(0, 4) && b.u32(0) == 0x9AC6CDD7)
        return Content::Wmf;
    if (b.has(0, 6) && (b.u16(0) == 1 || b.u16(0) == 2) && b.u16(2) == 9
        && (b.u16(4) == 0x0100 || b.u16(4) == 0x0300))
        return Content::Wmf;
    if (b.has(0, 44) && b.u32(0) == 1 && b.u32(40) == 0x464D4520)
        return Content::Emf;
    return Content::Unknown;
}

} // namespace

static std::shared_ptr<PictureData> loadFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        vb::raiseError(vb::ErrFileNotFound);
    if (info.size() > MaxFileBytes)
        detail::damaged();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        vb::raiseError(vb::ErrPathFileAccess);
    const Content content = sniff(f.peek(64));
    if (content == Content::Bitmap)
        return detail::loadBitmap(f);
    const QByteArray file = f.readAll();
    if (file.size() != info.size())
        detail::damaged();
    switch (content) {
    case Content::Jpeg: return detail::loadJpeg(file);
    case Content::Icon: return detail::loadIcon(file);
    case Content::Wmf: return detail::loadWmf(file);
    case Content::Emf: return detail::loadEmf(file);
    case Content::Bitmap:
    case Content::Unknown: break;
    }
    detail::damaged();
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

} // namespace picture
