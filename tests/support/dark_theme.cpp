#include "tests/support/dark_theme.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace brevanta::testsupport {

QPalette darkPalette() {
    QPalette dark;
    const QColor window(45, 45, 48), base(30, 30, 32), button(60, 60, 64), light(235, 235, 235), dim(130, 130, 130);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, light);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
    dark.setColor(QPalette::Text, light);
    dark.setColor(QPalette::Button, button);
    dark.setColor(QPalette::ButtonText, light);
    dark.setColor(QPalette::ToolTipBase, button);
    dark.setColor(QPalette::ToolTipText, light);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    dark.setColor(QPalette::Disabled, QPalette::Text, dim);
    dark.setColor(QPalette::Disabled, QPalette::WindowText, dim);
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, dim);
    return dark;
}

namespace {
double luminance(QRgb pixel) { return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel); }
}  // namespace

double contrastIn(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    double furthest = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        furthest = std::max(furthest, std::abs(luminance(it.key()) - luminance(background)));
    return furthest;
}

}  // namespace brevanta::testsupport
