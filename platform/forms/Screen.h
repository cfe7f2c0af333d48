// SPDX-License-Identifier: GPL-2.0-or-later
// The screen the windows live on: the unit conversion between twips and pixels, the screen's
// size in twips, and the face the text controls use.
#pragma once

#include <QString>
#include <QtGlobal>

class QFont;

namespace forms {

constexpr float kTwipsPerPixel = 15.0f; // 96 dots per inch

// Twips to whole pixels as the widgets take them (negative positions included).
inline int toPixels(float twips) { return qRound(twips / kTwipsPerPixel); }
inline float toTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }
// The most a window or control can be in either direction (32767 pixels); a larger size reads
// back as this.
constexpr float kMaxTwips = 32767 * kTwipsPerPixel;

// The screen the windows live on, in twips.
float screenWidth();
float screenHeight();

// The text controls' font: the usual Japanese UI face where installed, else the system's
// Japanese sans-serif face.
QString uiFontFamily();
// That face at a size in points.
QFont uiFont(float points);

} // namespace forms
