// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/gv/Bitmap.h"

#include "tools/fileformats/BitmapWriter.h"

#include <QHash>
#include <QPainter>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

namespace gv {

namespace {

// The picture on white, without alpha: a bitmap has none.
QImage opaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

// Median cut over a histogram of 5 bits per channel.
class MedianCut
{
public:
    explicit MedianCut(const QImage &rgb)
    {
        for (int y = 0; y < rgb.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                const QRgb c = line[x];
                Bin &b = bins_[key(qRed(c) >> 3, qGreen(c) >> 3, qBlue(c) >> 3)];
                ++b.count;
                b.r += quint64(qRed(c));
                b.g += quint64(qGreen(c));
                b.b += quint64(qBlue(c));
            }
        }
    }

    QVector<QRgb> palette(int colours)
    {
        std::vector<Box> boxes{shrink(Box{{0, 0, 0}, {31, 31, 31}, 0})};
        while (int(boxes.size()) < colours) {
            int pick = -1;
            quint64 best = 0;
            for (int i = 0; i < int(boxes.size()); ++i) {
                const Box &b = boxes[i];
                const int side = std::max({b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]});
                if (side > 0 && b.count * quint64(side) > best) {
                    best = b.count * quint64(side);
                    pick = i;
                }
            }
            if (pick < 0)
                break; // every box holds one histogram cell
            Box low, high;
            split(boxes[pick], low, high);
            boxes[pick] = low;
            boxes.push_back(high);
        }
        QVector<QRgb> out;
        for (const Box &b : boxes) {
            quint64 n = 0, r = 0, g = 0, bl = 0;
            forEach(b, [&](const Bin &bin) {
                n += bin.count;
                r += bin.r;
                g += bin.g;
                bl += bin.b;
            });
            if (n > 0)
                out << qRgb(int(r / n), int(g / n), int(bl / n));
        }
        return out;
    }

private:
    struct Bin
    {
        quint64 count = 0, r = 0, g = 0, b = 0;
    };
    struct Box
    {
        int lo[3];
        int hi[3];
        quint64 count;
    };

    static int key(int r, int g, int b) { return (r << 10) | (g << 5) | b; }

    template <class F>
    void forEach(const Box &box, F &&f) const
    {
        for (int r = box.lo[0]; r <= box.hi[0]; ++r)
            for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                for (int b = box.lo[2]; b <= box.hi[2]; ++b)
                    if (bins_[key(r, g, b)].count)
                        f(bins_[key(r, g, b)]);
    }

    // The smallest box around the filled cells of a box, with their count.
    Box shrink(const Box &box) const
    {
        Box out{{31, 31, 31}, {0, 0, 0}, 0};
        for (int r = box.lo[0]; r <= box.hi[0]; ++r)
            for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
                    const quint64 n = bins_[key(r, g, b)].count;
                    if (!n)
                        continue;
                    const int c[3] = {r, g, b};
                    for (int i = 0; i < 3; ++i) {
                        out.lo[i] = std::min(out.lo[i], c[i]);
                        out.hi[i] = std::max(out.hi[i], c[i]);
                    }
                    out.count += n;
                }
        return out;
    }

    // Splits along the longest side where half of the pixels lie on either side.
    void split(const Box &box, Box &low, Box &high) const
    {
        int axis = 0;
        for (int i = 1; i < 3; ++i)
            if (box.hi[i] - box.lo[i] > box.hi[axis] - box.lo[axis])
                axis = i;
        std::array<quint64, 32> slice{};
        for (int r = box.lo[0]; r <= box.hi[0]; ++r)
            for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
                    const int c[3] = {r, g, b};
                    slice[size_t(c[axis])] += bins_[key(r, g, b)].count;
                }
        quint64 sum = 0;
        int cut = box.lo[axis];
        for (int v = box.lo[axis]; v < box.hi[axis]; ++v) {
            sum += slice[size_t(v)];
            cut = v;
            if (sum * 2 >= box.count)
                break;
        }
        low = box;
        high = box;
        low.hi[axis] = cut;
        high.lo[axis] = cut + 1;
        low = shrink(low);
        high = shrink(high);
    }

    std::vector<Bin> bins_ = std::vector<Bin>(32768);
};

int nearest(const QVector<QRgb> &palette, int r, int g, int b)
{
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - r, dg = qGreen(palette[i]) - g, db = qBlue(palette[i]) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

} // namespace

QImage quantize(const QImage &image, int colours, bool dither)
{
    colours = std::clamp(colours, 2, 256);
    const QImage rgb = opaque(image);
    const int w = rgb.width(), h = rgb.height();
    QImage out(rgb.size(), QImage::Format_Indexed8);

    // Few colours: keep them exactly.
    QSet<QRgb> distinct;
    for (int y = 0; y < h && distinct.size() <= colours; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < w && distinct.size() <= colours; ++x)
            distinct.insert(line[x] | 0xff000000u);
    }
    if (distinct.size() <= colours) {
        QVector<QRgb> palette(distinct.begin(), distinct.end());
        std::sort(palette.begin(), palette.end());
        QHash<QRgb, int> index;
        for (int i = 0; i < palette.size(); ++i)
            index.insert(palette[i], i);
        out.setColorTable(palette);
        for (int y = 0; y < h; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            uchar *dst = out.scanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = uchar(index.value(line[x] | 0xff000000u));
        }
        return out;
    }

    const QVector<QRgb> palette = MedianCut(rgb).palette(colours);
    out.setColorTable(palette);
    std::vector<qint16> cache(1 << 18, -1); // nearest entry per 6-bit cell
    auto lookup = [&](int r, int g, int b) {
        qint16 &c = cache[size_t(((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2))];
        if (c < 0)
            c = qint16(nearest(palette, r, g, b));
        return c;
    };
    // Floyd-Steinberg: errors of this row and the next, with a cell of margin on either side.
    std::vector<int> err(size_t(w + 2) * 3), next(size_t(w + 2) * 3);
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *dst = out.scanLine(y);
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < w; ++x) {
            int c[3] = {qRed(line[x]), qGreen(line[x]), qBlue(line[x])};
            if (dither)
                for (int i = 0; i < 3; ++i)
                    c[i] = std::clamp(c[i] + err[size_t(x + 1) * 3 + i] / 16, 0, 255);
            const int idx = lookup(c[0], c[1], c[2]);
            dst[x] = uchar(idx);
            if (!dither)
                continue;
            const int p[3] = {qRed(palette[idx]), qGreen(palette[idx]), qBlue(palette[idx])};
            for (int i = 0; i < 3; ++i) {
                const int e = c[i] - p[i];
                err[size_t(x + 2) * 3 + i] += e * 7;
                next[size_t(x) * 3 + i] += e * 3;
                next[size_t(x + 1) * 3 + i] += e * 5;
                next[size_t(x + 2) * 3 + i] += e;
            }
        }
        err.swap(next);
    }
    return out;
}

bool writeBitmap(const QImage &image, const QString &path, QString *error)
{
    if (image.isNull()) {
        *error = QStringLiteral("no picture");
        return false;
    }
    const QByteArray out =
        image.format() == QImage::Format_Indexed8 ? bitmapfile::bmp8(image) : bitmapfile::bmp24(opaque(image));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace gv
