// SPDX-License-Identifier: GPL-2.0-or-later
// Pictures as the programs load, size, draw, print and copy them: bitmaps (also run-length
// bitmaps), JPEG, icons and cursors, Windows metafiles and enhanced metafiles.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;

namespace picture {

enum class Kind { Empty, Bitmap, Metafile, Icon, EnhMetafile }; // a cursor file loads as Icon

// The most pixels a picture may have, at its natural size: larger files are refused as damaged
// rather than allocated (64 Mi pixels, 256 MiB at 32 bits per pixel).
constexpr qint64 MaxPixels = qint64(64) * 1024 * 1024;
// The longest side a picture may have, in pixels.
constexpr int MaxSide = 65535;

struct PictureData;

// A loaded picture. Copies share the decoded data.
class Picture
{
public:
    Picture(); // empty
    static Picture fromImage(const QImage &image);

    bool isEmpty() const;
    Kind kind() const;
    // Natural size in pixels at 96 dpi.
    QSize pixelSize() const;
    // Natural size in twips, as a picture box sizing itself to it takes it: pixels x 15; a
    // metafile by its frame.
    QSizeF twipsSize() const;
    // Draws the picture scaled into target (painter's units). A metafile is clipped to target.
    void draw(QPainter &p, const QRectF &target) const;
    // The picture at its natural pixel size; a metafile on a transparent background.
    QImage toImage() const;
    // The picture scaled to size.
    QImage toImage(const QSize &size) const;
    // The file the picture was loaded from; empty for a picture made in memory.
    QString sourcePath() const { return source_; }

private:
    explicit Picture(std::shared_ptr<const PictureData> d);
    friend Picture loadPicture(const QString &path);
    friend Picture loadPictureBytes(const QByteArray &file);

    std::shared_ptr<const PictureData> d_;
    QString source_;
};

// Loads any kind the picture list admits, whatever the file's extension says: bitmap (also
// RLE4/RLE8), JPEG, icon, cursor, Windows metafile (placeable and plain), enhanced metafile.
// Throws vb::RuntimeError: 53 when the file does not exist (or is a folder), 75 when it cannot
// be read or is not a regular file (a device, a FIFO, a socket; also behind a symbolic link),
// 481 when it is not a picture that can be loaded (unknown content, damaged, truncated, too
// large, or more drawing work than one picture may ask for).
Picture loadPicture(const QString &path);
// The same from the bytes of a whole file.
Picture loadPictureBytes(const QByteArray &file);

} // namespace picture
