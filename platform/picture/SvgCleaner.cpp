// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/SvgCleaner.h"

#include <QPolygonF>
#include <QRectF>
#include <QVector>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace picture::detail {

namespace {

struct Attribute
{
    QByteArray name;
    QByteArray value;
    char quote = '"';
};

struct Tag
{
    QByteArray name;
    QVector<Attribute> attributes;
    bool empty = false; // ends in "/>"

    const Attribute *find(const char *attribute) const
    {
        for (const Attribute &a : attributes) {
            if (a.name == attribute)
                return &a;
        }
        return nullptr;
    }
    bool is(const char *attribute, const char *value) const
    {
        const Attribute *a = find(attribute);
        return a && a->value == value;
    }
    double number(const char *attribute, bool *ok) const
    {
        const Attribute *a = find(attribute);
        bool good = false;
        const double v = a ? a->value.toDouble(&good) : 0;
        if (!good || !std::isfinite(v))
            *ok = false;
        return v;
    }
    void set(const char *attribute, const QByteArray &value)
    {
        for (Attribute &a : attributes) {
            if (a.name == attribute) {
                a.value = value;
                return;
            }
        }
        attributes.append({attribute, value, '"'});
    }
    void set(const char *attribute, double value) { set(attribute, QByteArray::number(value, 'f', 4)); }

    QByteArray text() const
    {
        QByteArray out = '<' + name;
        for (const Attribute &a : attributes)
            out += ' ' + a.name + '=' + a.quote + a.value + a.quote;
        out += empty ? " />" : ">";
        return out;
    }
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads the start tag at `at` (its "<"); false when it is not one that can be read, which is then
// copied as it is. end: just past its ">".
bool readTag(const QByteArray &svg, qsizetype at, Tag *tag, qsizetype *end)
{
    const qsizetype n = svg.size();
    qsizetype i = at + 1;
    const qsizetype nameStart = i;
    while (i < n && !isSpace(svg[i]) && svg[i] != '>' && svg[i] != '/')
        ++i;
    if (i == nameStart)
        return false;
    tag->name = svg.mid(nameStart, i - nameStart);
    for (;;) {
        while (i < n && isSpace(svg[i]))
            ++i;
        if (i >= n)
            return false;
        if (svg[i] == '>') {
            *end = i + 1;
            return true;
        }
        if (svg[i] == '/') {
            if (i + 1 >= n || svg[i + 1] != '>')
                return false;
            tag->empty = true;
            *end = i + 2;
            return true;
        }
        const qsizetype nameAt = i;
        while (i < n && !isSpace(svg[i]) && svg[i] != '=' && svg[i] != '>' && svg[i] != '/')
            ++i;
        Attribute a;
        a.name = svg.mid(nameAt, i - nameAt);
        while (i < n && isSpace(svg[i]))
            ++i;
        if (a.name.isEmpty() || i >= n || svg[i] != '=')
            return false;
        ++i;
        while (i < n && isSpace(svg[i]))
            ++i;
        if (i >= n || (svg[i] != '"' && svg[i] != '\''))
            return false;
        a.quote = svg[i];
        const qsizetype close = svg.indexOf(a.quote, i + 1);
        if (close < 0)
            return false;
        a.value = svg.mid(i + 1, close - i - 1);
        i = close + 1;
        // A repeated attribute makes the whole document unreadable: the first one stands.
        if (!tag->find(a.name.constData()))
            tag->attributes.append(a);
    }
}

// A rectangle given from its other corner along an axis with a negative extent.
void normalizeRect(Tag &tag)
{
    bool ok = true;
    const double x = tag.number("x", &ok), y = tag.number("y", &ok);
    const double w = tag.number("width", &ok), h = tag.number("height", &ok);
    if (!ok || (w >= 0 && h >= 0))
        return;
    tag.set("x", w < 0 ? x + w : x);
    tag.set("width", std::abs(w));
    tag.set("y", h < 0 ? y + h : y);
    tag.set("height", std::abs(h));
}

// A bitmap in the box x, y, w, h (device units, either extent negative for a mirrored one).
void placeImage(Tag &tag, double x, double y, double w, double h)
{
    const double left = w < 0 ? x + w : x, top = h < 0 ? y + h : y;
    tag.set("x", left);
    tag.set("y", top);
    tag.set("width", std::abs(w));
    tag.set("height", std::abs(h));
    if (w < 0 || h < 0) {
        // Mirrored about the box's centre along each turned-over axis.
        const double sx = w < 0 ? -1 : 1, sy = h < 0 ? -1 : 1;
        const double tx = w < 0 ? 2 * left + std::abs(w) : 0, ty = h < 0 ? 2 * top + std::abs(h) : 0;
        tag.set("transform", "matrix(" + QByteArray::number(sx) + " 0 0 " + QByteArray::number(sy) + ' ' +
                                 QByteArray::number(tx, 'f', 4) + ' ' + QByteArray::number(ty, 'f', 4) + ')');
    }
}

bool isBitmapBox(const Tag &tag)
{
    return tag.name == "rect" && tag.is("fill", "none") && tag.is("stroke", "none") && tag.is("stroke-width", "0.0");
}

QByteArray colourText(QRgb c) { return '#' + QByteArray::number(c & 0xFFFFFF, 16).rightJustified(6, '0').toUpper(); }

// The marker colour of a fill attribute, or -1.
qint64 fillColour(const Tag &tag)
{
    const Attribute *a = tag.find("fill");
    if (!a || a->value.size() != 7 || a->value[0] != '#')
        return -1;
    bool ok = false;
    const uint v = a->value.mid(1).toUInt(&ok, 16);
    return ok ? qint64(v) : -1;
}

using Ring = QVector<QPointF>;

// The numbers of a path's data or a points list, with its commands as separate letters.
class PathReader
{
public:
    explicit PathReader(const QByteArray &d) : d_(d) {}
    bool atEnd()
    {
        skip();
        return i_ >= d_.size();
    }
    char command()
    {
        skip();
        if (i_ < d_.size() && std::isalpha(uchar(d_[i_])))
            return d_[i_++];
        return 0;
    }
    bool number(double *v)
    {
        skip();
        const qsizetype start = i_;
        if (i_ < d_.size() && (d_[i_] == '-' || d_[i_] == '+'))
            ++i_;
        while (i_ < d_.size() && (std::isdigit(uchar(d_[i_])) || d_[i_] == '.'))
            ++i_;
        if (i_ < d_.size() && (d_[i_] == 'e' || d_[i_] == 'E')) {
            ++i_;
            if (i_ < d_.size() && (d_[i_] == '-' || d_[i_] == '+'))
                ++i_;
            while (i_ < d_.size() && std::isdigit(uchar(d_[i_])))
                ++i_;
        }
        bool ok = false;
        *v = d_.mid(start, i_ - start).toDouble(&ok);
        return ok && std::isfinite(*v);
    }
    bool startsNumber()
    {
        skip();
        return i_ < d_.size() && (std::isdigit(uchar(d_[i_])) || d_[i_] == '-' || d_[i_] == '+' || d_[i_] == '.');
    }

private:
    void skip()
    {
        while (i_ < d_.size() && (isSpace(d_[i_]) || d_[i_] == ','))
            ++i_;
    }
    const QByteArray &d_;
    qsizetype i_ = 0;
};

// An elliptical arc of a path, from `from` to `to`, as points after `from`.
void arcPoints(Ring &ring, QPointF from, double rx, double ry, double degrees, bool large, bool sweep, QPointF to)
{
    rx = std::abs(rx);
    ry = std::abs(ry);
    if (rx == 0 || ry == 0 || from == to) {
        ring.append(to);
        return;
    }
    const double phi = degrees * M_PI / 180, c = std::cos(phi), s = std::sin(phi);
    const double dx = (from.x() - to.x()) / 2, dy = (from.y() - to.y()) / 2;
    const double x1 = c * dx + s * dy, y1 = -s * dx + c * dy;
    const double scale = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
    if (scale > 1) {
        rx *= std::sqrt(scale);
        ry *= std::sqrt(scale);
    }
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double k = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
    if (large == sweep)
        k = -k;
    const double cx1 = k * rx * y1 / ry, cy1 = -k * ry * x1 / rx;
    const double cx = c * cx1 - s * cy1 + (from.x() + to.x()) / 2, cy = s * cx1 + c * cy1 + (from.y() + to.y()) / 2;
    const double a1 = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
    double delta = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx) - a1;
    if (sweep && delta < 0)
        delta += 2 * M_PI;
    if (!sweep && delta > 0)
        delta -= 2 * M_PI;
    const int steps = std::clamp(int(std::abs(delta) / (M_PI / 32)) + 1, 2, 64);
    for (int i = 1; i <= steps; ++i) {
        const double a = a1 + delta * i / steps;
        const double ex = rx * std::cos(a), ey = ry * std::sin(a);
        ring.append(QPointF(cx + c * ex - s * ey, cy + s * ex + c * ey));
    }
}

// The outline of a path's data: its closed figures. False for data it cannot read.
bool pathRings(const QByteArray &d, QVector<Ring> *rings)
{
    PathReader r(d);
    Ring ring;
    QPointF at, start;
    char cmd = 0;
    auto close = [&] {
        if (ring.size() >= 3)
            rings->append(ring);
        ring.clear();
    };
    while (!r.atEnd()) {
        if (!r.startsNumber()) {
            cmd = r.command();
            if (!cmd)
                return false;
        } else if (!cmd) {
            return false;
        }
        const bool rel = std::islower(uchar(cmd));
        const QPointF base = rel ? at : QPointF();
        double v[7];
        auto read = [&](int n) {
            for (int i = 0; i < n; ++i) {
                if (!r.number(&v[i]))
                    return false;
            }
            return true;
        };
        switch (std::tolower(uchar(cmd))) {
        case 'm':
            if (!read(2))
                return false;
            close();
            at = start = base + QPointF(v[0], v[1]);
            ring.append(at);
            cmd = rel ? 'l' : 'L';
            break;
        case 'l':
            if (!read(2))
                return false;
            at = base + QPointF(v[0], v[1]);
            ring.append(at);
            break;
        case 'h':
            if (!read(1))
                return false;
            at.setX((rel ? at.x() : 0) + v[0]);
            ring.append(at);
            break;
        case 'v':
            if (!read(1))
                return false;
            at.setY((rel ? at.y() : 0) + v[0]);
            ring.append(at);
            break;
        case 'c': {
            if (!read(6))
                return false;
            const QPointF p0 = at, p1 = base + QPointF(v[0], v[1]), p2 = base + QPointF(v[2], v[3]),
                          p3 = base + QPointF(v[4], v[5]);
            for (int i = 1; i <= 16; ++i) {
                const double t = i / 16.0, u = 1 - t;
                ring.append(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3);
            }
            at = p3;
            break;
        }
        case 'a': {
            if (!read(7))
                return false;
            const QPointF to = base + QPointF(v[5], v[6]);
            if (ring.isEmpty())
                ring.append(at);
            arcPoints(ring, at, v[0], v[1], v[2], v[3] != 0, v[4] != 0, to);
            at = to;
            break;
        }
        case 'z':
            close();
            at = start;
            cmd = 0;
            break;
        default: return false;
        }
        if (ring.size() > 100000)
            return false;
    }
    close();
    return true;
}

// The outline of a shape element, or false for one that is not read here.
bool shapeRings(const Tag &tag, QVector<Ring> *rings)
{
    if (tag.find("transform"))
        return false;
    bool ok = true;
    if (tag.name == "rect") {
        const QRectF r(tag.number("x", &ok), tag.number("y", &ok), tag.number("width", &ok), tag.number("height", &ok));
        if (!ok)
            return false;
        rings->append({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()});
        return true;
    }
    if (tag.name == "ellipse" || tag.name == "circle") {
        const double cx = tag.number("cx", &ok), cy = tag.number("cy", &ok);
        const double rx = tag.name == "circle" ? tag.number("r", &ok) : tag.number("rx", &ok);
        const double ry = tag.name == "circle" ? rx : tag.number("ry", &ok);
        if (!ok)
            return false;
        Ring ring;
        for (int i = 0; i < 64; ++i)
            ring.append(QPointF(cx + rx * std::cos(i * M_PI / 32), cy + ry * std::sin(i * M_PI / 32)));
        rings->append(ring);
        return true;
    }
    if (tag.name == "polygon") {
        const Attribute *a = tag.find("points");
        return a && pathRings("M " + a->value + " Z", rings);
    }
    if (tag.name == "path") {
        const Attribute *a = tag.find("d");
        return a && pathRings(a->value, rings);
    }
    return false;
}

// What cutting hatch lines may take over a whole drawing: the edges met, and the lines drawn.
// Each line is an element of its own (one path of many crossing lines would make every pixel
// row crowded with edges, which Qt's rasterizer fills in time that grows with their square);
// the lines bound what hatches add to the drawing's time.
struct HatchBudget
{
    qint64 edges = 50'000'000;
    qint64 lines = 10'000;
};

// The hatch lines of one direction that lie inside the rings, as path data, one for each line:
// the lines n.p = c for c = offset + 8k, cut where they cross the rings' edges (even-odd).
void hatchLines(const QVector<Ring> &rings, QPointF n, double offset, QVector<QByteArray> *paths, HatchBudget *budget)
{
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const Ring &ring : rings) {
        for (const QPointF &p : ring) {
            const double c = n.x() * p.x() + n.y() * p.y();
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
    }
    const QPointF along(-n.y(), n.x());
    QVector<std::pair<double, QPointF>> cuts;
    for (double c = std::ceil((lo - offset) / 8) * 8 + offset; c <= hi && budget->edges > 0 && budget->lines >= 0;
         c += 8) {
        cuts.clear();
        for (const Ring &ring : rings) {
            for (qsizetype i = 0; i < ring.size(); ++i) {
                const QPointF p = ring[i], q = ring[(i + 1) % ring.size()];
                const double sp = n.x() * p.x() + n.y() * p.y() - c, sq = n.x() * q.x() + n.y() * q.y() - c;
                if ((sp < 0) == (sq < 0))
                    continue;
                const QPointF x = p + (q - p) * (sp / (sp - sq));
                cuts.append({along.x() * x.x() + along.y() * x.y(), x});
            }
            budget->edges -= ring.size();
        }
        std::sort(cuts.begin(), cuts.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        if (cuts.size() < 2)
            continue;
        --budget->lines;
        QByteArray d;
        for (qsizetype i = 0; i + 1 < cuts.size(); i += 2) {
            d += "M" + QByteArray::number(cuts[i].second.x(), 'f', 2) + ',' +
                 QByteArray::number(cuts[i].second.y(), 'f', 2) + 'L' +
                 QByteArray::number(cuts[i + 1].second.x(), 'f', 2) + ',' +
                 QByteArray::number(cuts[i + 1].second.y(), 'f', 2);
        }
        paths->append(d);
    }
}

// A shape filled with a hatch: background, lines and outline; false when it cannot be cut.
bool hatched(const Tag &tag, const Hatch &hatch, QByteArray *out, HatchBudget *budget)
{
    QVector<Ring> rings;
    if (!shapeRings(tag, &rings) || rings.isEmpty())
        return false;
    QRectF box;
    for (const Ring &ring : rings)
        box = box.united(QPolygonF(ring).boundingRect());
    if (!(box.width() < 1e5 && box.height() < 1e5))
        return false;
    QVector<QByteArray> paths;
    const int style = hatch.style;
    if (style == 0 || style == 4)
        hatchLines(rings, QPointF(0, 1), 0.5, &paths, budget);
    if (style == 1 || style == 4)
        hatchLines(rings, QPointF(1, 0), 0.5, &paths, budget);
    if (style == 2 || style == 5)
        hatchLines(rings, QPointF(1, -1), 0, &paths, budget);
    if (style == 3 || style == 5)
        hatchLines(rings, QPointF(1, 1), 0, &paths, budget);
    if (budget->edges <= 0 || budget->lines < 0)
        return false;
    Tag ground = tag;
    ground.set("fill", hatch.opaque ? colourText(hatch.background) : QByteArray("none"));
    ground.set("stroke", "none");
    *out += ground.text();
    for (const QByteArray &d : paths) {
        Tag line;
        line.name = "path";
        line.empty = true;
        line.set("d", d);
        line.set("fill", "none");
        line.set("stroke", colourText(hatch.colour));
        line.set("stroke-width", "1");
        *out += line.text();
    }
    const Attribute *stroke = tag.find("stroke");
    if (stroke && stroke->value != "none") {
        Tag outline = tag;
        outline.set("fill", "none");
        outline.empty = true;
        *out += outline.text();
    }
    return true;
}

// Copies a section that runs from `at` to the end marker, or to the end of the data.
qsizetype skipTo(const QByteArray &svg, qsizetype at, const char *endMarker)
{
    const qsizetype close = svg.indexOf(endMarker, at);
    return close < 0 ? svg.size() : close + qsizetype(std::strlen(endMarker));
}

} // namespace

QByteArray cleanSvg(const QByteArray &svg, const Hatches &hatches)
{
    HatchBudget hatchBudget;
    QByteArray out;
    out.reserve(svg.size() + svg.size() / 16);
    // A bitmap box waits for the element after it; what was read since is held back with it.
    bool boxPending = false;
    QRectF box;
    QByteArray held;
    auto flush = [&] {
        out += held;
        held.clear();
        boxPending = false;
    };
    auto put = [&](const QByteArray &text) { (boxPending ? held : out) += text; };

    const qsizetype n = svg.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = svg.indexOf('<', i);
        if (lt < 0) {
            put(svg.mid(i));
            break;
        }
        if (lt > i) {
            const QByteArray between = svg.mid(i, lt - i);
            if (boxPending && !between.trimmed().isEmpty())
                flush();
            put(between);
        }
        qsizetype end = 0;
        if (svg.mid(lt, 9) == "<![CDATA[")
            end = skipTo(svg, lt, "]]>");
        else if (svg.mid(lt, 4) == "<!--")
            end = skipTo(svg, lt, "-->");
        else if (svg.mid(lt, 2) == "<?")
            end = skipTo(svg, lt, "?>");
        Tag tag;
        if (end == 0 && (lt + 1 >= n || svg[lt + 1] == '/' || svg[lt + 1] == '!' || !readTag(svg, lt, &tag, &end))) {
            tag = Tag();
            end = std::max(skipTo(svg, lt, ">"), lt + 1);
        }
        if (tag.name.isEmpty()) {
            if (boxPending)
                flush();
            out += svg.mid(lt, end - lt);
            i = end;
            continue;
        }
        if (tag.name == "image") {
            bool ok = true;
            if (boxPending) {
                placeImage(tag, box.x(), box.y(), box.width(), box.height());
                held.clear();
                boxPending = false;
            } else {
                const double x = tag.number("x", &ok), y = tag.number("y", &ok);
                const double w = tag.number("width", &ok), h = tag.number("height", &ok);
                if (ok && (w < 0 || h < 0))
                    placeImage(tag, x, y, w, h);
            }
            out += tag.text();
        } else if (isBitmapBox(tag)) {
            if (boxPending)
                flush();
            bool ok = true;
            const QRectF b(tag.number("x", &ok), tag.number("y", &ok), tag.number("width", &ok),
                           tag.number("height", &ok));
            normalizeRect(tag);
            if (ok) {
                boxPending = true;
                box = b;
                held = tag.text();
            } else {
                out += tag.text();
            }
        } else {
            if (boxPending)
                flush();
            if (tag.name == "rect")
                normalizeRect(tag);
            const qint64 marker = hatches.isEmpty() ? -1 : fillColour(tag);
            const auto h = marker >= 0 ? hatches.find(QRgb(marker)) : hatches.end();
            if (h == hatches.end()) {
                out += tag.text();
            } else if (!tag.empty || !hatched(tag, *h, &out, &hatchBudget)) {
                tag.set("fill", colourText(h->colour));
                out += tag.text();
            }
        }
        i = end;
    }
    if (boxPending)
        flush();
    return out;
}

} // namespace picture::detail
