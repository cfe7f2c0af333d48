// Writes enhanced metafiles record by record: the 32-bit drawing records that the samples and the
// loader tests need.
#pragma once

#include "tools/mksamples/ByteWriter.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

class EmfWriter
{
public:
    enum PenStyle { PenSolid = 0, PenDash = 1, PenNull = 5 };
    enum { PenGeometric = 0x00010000 };
    enum BrushStyle { BrushSolid = 0, BrushNull = 1, BrushHatched = 2 };
    enum { Transparent = 1, Opaque = 2 };
    enum { MapText = 1, MapAnisotropic = 8 };
    enum { AlignTop = 0, AlignBaseline = 24 };
    enum { CharsetAnsi = 0, CharsetShiftJis = 128 };

    void setMapMode(int mode);
    void setWindowOrg(int x, int y);
    void setWindowExt(int w, int h);
    void setViewportOrg(int x, int y);
    void setViewportExt(int w, int h);
    void setBkMode(int mode);
    void setTextColor(quint32 rgb);
    void setTextAlign(int align);

    // Handles count from 1; 0 is the metafile itself.
    int createPen(int style, int width, quint32 rgb);
    int createExtPen(int style, int width, quint32 rgb);
    int createBrush(int style, quint32 rgb, int hatch = 0);
    int createFont(int height, int weight, int charset, const QString &face);
    void selectObject(int handle);
    void deleteObject(int handle);

    void rectangle(const QRect &r);
    void ellipse(const QRect &r);
    void roundRect(const QRect &r, int cornerW, int cornerH);
    void polygon(const QVector<QPoint> &pts);
    void polyline(const QVector<QPoint> &pts);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    // advance: the width the text's cell takes per character, for the spacing array; options:
    // the record's ETO_ flags.
    void textOut(int x, int y, const QString &text, int advance, quint32 options = 0);
    // The same with 8-bit text, in the code page of the selected font's character set.
    void textOutAnsi(int x, int y, const QByteArray &text, int advance);

    // Any record, for tests that need odd ones; body is everything after type and size.
    void record(quint32 type, const QByteArray &body);

    // frame: the picture's frame in hundredths of a millimetre (right and bottom exclusive);
    // device: the reference device in pixels and millimetres.
    QByteArray finish(const QRect &frame, const QSize &devicePixels = QSize(1280, 1024),
                      const QSize &deviceMillimetres = QSize(339, 271)) const;

private:
    int newHandle() { return ++handles_; }

    ByteWriter records_;
    int count_ = 0;
    int handles_ = 0;
    QRect bounds_;
};
