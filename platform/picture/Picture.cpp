// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/PictureData.h"

#include "platform/vb/vb.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <QThread>

#include <cmath>

namespace picture {

namespace detail {

void damaged() { vb::raiseError(vb::ErrInvalidPicture); }

void checkPixelCount(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide || width * height > MaxPixels)
        damaged();
}

std::shared_ptr<PictureData> metafileData(Kind kind, const QSizeF &twips, const QByteArray &svg, const QRectF &viewBox,
                                          double work)
{
    if (!(twips.width() > 0) || !(twips.height() > 0))
        damaged();
    // A frame smaller than a pixel still shows as one pixel.
    const qint64 w = std::max<qint64>(1, std::llround(std::min(twips.width() / 15.0, 1e12)));
    const qint64 h = std::max<qint64>(1, std::llround(std::min(twips.height() / 15.0, 1e12)));
    checkPixelCount(w, h);

    auto drawing = std::make_shared<QSvgRenderer>();
    if (!drawing->load(svg) || !drawing->isValid())
        damaged();
    if (viewBox.isValid())
        drawing->setViewBox(viewBox);

    auto d = std::make_shared<PictureData>();
    d->kind = kind;
    d->twips = twips;
    d->pixels = QSize(int(w), int(h));
    d->drawing = std::move(drawing);
    d->slow = work > PictureData::SlowWork;
    return d;
}

} // namespace detail

const QImage &PictureData::drawnAt(const QSize &size) const
{
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i].size == size) {
            if (i > 0)
                std::swap(drawn[i], drawn[0]);
            return drawn[0].image;
        }
    }
    // A long drawing shows the wait cursor, in the program's own thread only.
    struct WaitCursor
    {
        bool shown = false;
        explicit WaitCursor(bool slow)
        {
            if (slow && qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
                QThread::currentThread() == QCoreApplication::instance()->thread()) {
                QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
                shown = true;
            }
        }
        ~WaitCursor()
        {
            if (shown)
                QGuiApplication::restoreOverrideCursor();
        }
    } wait(slow);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawing->render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    p.end();
    if (drawn.size() >= 2)
        drawn.pop_back();
    drawn.insert(drawn.begin(), Drawn{size, std::move(image)});
    return drawn[0].image;
}

namespace {

// Formats that the raster paint engine blits without converting them first.
QImage paintable(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied: return image;
    default:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
    }
}

} // namespace

Picture::Picture() = default;

Picture::Picture(std::shared_ptr<const PictureData> d) : d_(std::move(d)) {}

Picture Picture::fromImage(const QImage &image)
{
    if (image.isNull())
        return Picture();
    auto d = std::make_shared<PictureData>();
    d->kind = Kind::Bitmap;
    d->image = paintable(image);
    d->pixels = image.size();
    d->twips = QSizeF(image.width() * 15.0, image.height() * 15.0);
    return Picture(std::move(d));
}

bool Picture::isEmpty() const { return !d_ || d_->kind == Kind::Empty; }

Kind Picture::kind() const { return d_ ? d_->kind : Kind::Empty; }

QSize Picture::pixelSize() const { return d_ ? d_->pixels : QSize(0, 0); }

QSizeF Picture::twipsSize() const { return d_ ? d_->twips : QSizeF(0, 0); }

void Picture::draw(QPainter &p, const QRectF &target) const
{
    if (isEmpty() || target.isEmpty())
        return;
    if (d_->drawing) {
        p.save();
        p.setClipRect(target, Qt::IntersectClip);
        // On a raster device at a plain scale the drawing is made once for its size in device
        // pixels and copied from then on; a printer gets the drawing itself.
        const QTransform t = p.worldTransform();
        const QRectF device = t.mapRect(target);
        const QSize size = device.size().toSize();
        const QPaintEngine *engine = p.paintEngine();
        if (engine && engine->type() == QPaintEngine::Raster && t.type() <= QTransform::TxScale && !size.isEmpty() &&
            qint64(size.width()) * size.height() <= PictureData::MaxDrawnPixels) {
            const QImage &image = d_->drawnAt(size);
            p.setWorldTransform(QTransform());
            p.drawImage(device.topLeft().toPoint(), image);
        } else {
            d_->drawing->render(&p, target);
        }
        p.restore();
        return;
    }
    const QImage &img = d_->image;
    // At its own size on whole device pixels the image is copied as it is.
    const QTransform t = p.worldTransform();
    const QRectF device = t.mapRect(target);
    if (t.type() <= QTransform::TxTranslate && device.size() == QSizeF(img.size()) &&
        device.topLeft() == device.topLeft().toPoint()) {
        p.drawImage(target.topLeft(), img);
        return;
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Bilinear filtering skips pixels when shrinking a lot; average them first.
    if (t.type() <= QTransform::TxScale && device.width() * 2 < img.width() && device.height() * 2 < img.height()) {
        const QSize small = device.size().toSize().expandedTo(QSize(1, 1));
        p.drawImage(target, img.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        p.drawImage(target, img);
    }
    p.restore();
}

QImage Picture::toImage() const
{
    if (isEmpty())
        return QImage();
    if (!d_->drawing)
        return d_->image;
    return toImage(d_->pixels);
}

QImage Picture::toImage(const QSize &size) const
{
    if (isEmpty() || size.isEmpty())
        return QImage();
    if (!d_->drawing) {
        if (size == d_->image.size())
            return d_->image;
        return d_->image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (qint64(size.width()) * size.height() > MaxPixels)
        return QImage();
    if (qint64(size.width()) * size.height() <= PictureData::MaxDrawnPixels)
        return d_->drawnAt(size);
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    draw(p, QRectF(QPointF(0, 0), QSizeF(size)));
    p.end();
    return out;
}

} // namespace picture
