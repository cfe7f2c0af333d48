// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/SvgCleaner.h"

#include <QRectF>
#include <QVector>

#include <algorithm>
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

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

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
        tag.set("transform", "matrix(" + QByteArray::number(sx) + " 0 0 " + QByteArray::number(sy) + ' '
                                 + QByteArray::number(tx, 'f', 4) + ' ' + QByteArray::number(ty, 'f', 4) + ')');
    }
}

bool isBitmapBox(const Tag &tag)
{
    return tag.name == "rect" && tag.is("fill", "none") && tag.is("stroke", "none") && tag.is("stroke-width", "0.0");
}

// Copies a section that runs from `at` to the end marker, or to the end of the data.
qsizetype skipTo(const QByteArray &svg, qsizetype at, const char *endMarker)
{
    const qsizetype close = svg.indexOf(endMarker, at);
    return close < 0 ? svg.size() : close + qsizetype(std::strlen(endMarker));
}

} // namespace

QByteArray cleanSvg(const QByteArray &svg)
{
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
            out += tag.text();
        }
        i = end;
    }
    if (boxPending)
        flush();
    return out;
}

} // namespace picture::detail
