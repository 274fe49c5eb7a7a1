#pragma once
// A dark desktop for the window tests and the screenshots (Fusion's colours
// turned dark, as a dark theme sets them), and how far text in a picture
// stands out from its background.

#include <QImage>
#include <QPalette>
#include <QRect>

namespace brevanta::testsupport {

QPalette darkPalette();

// The most common colour in `area` is its background; the result is how far
// (0 to 255 in luminance) the pixel furthest from it lies: the text's contrast.
double contrastIn(const QImage& image, const QRect& area);

}  // namespace brevanta::testsupport
