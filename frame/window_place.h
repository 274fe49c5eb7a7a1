#pragma once
// Where a window opens: centred on the screen's free area, but never with
// its top or left edge beyond the area's. A window taller than the screen
// (a small screen, or a scale factor of 2) keeps its title bar and menu bar
// in reach; only its bottom goes past the edge.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace brevanta::frame {

QPoint centredPlace(const QSize& window, const QRect& available);

// Moves `window` there on the screen it is on (the primary screen before it has one).
void placeCentred(QWidget& window);

}  // namespace brevanta::frame
