// SPDX-License-Identifier: GPL-2.0-or-later
// What the fuzz targets share: the Qt application the picture targets need, and a file that
// holds one input for the parsers that read from a stream.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace fuzz {

// The input as a byte array, without a copy; valid while the input is.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Makes the one QGuiApplication (offscreen) that pictures and fonts need.
void startGuiApplication();

// A stream that reads the input from its first byte, as a file would: an anonymous file in
// memory, rewritten for each input.
FILE *streamOf(const uint8_t *data, size_t size);

} // namespace fuzz
