#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

namespace Pinmark {

// Where a window of the given size opens on a screen's available area: centred where it fits,
// and otherwise at the area's top-left corner, so that the title band along its top edge, the
// only place to drag it by, starts on the screen. Each direction is judged on its own.
QPoint placeWindow(const QSize &window, const QRect &available);

} // namespace Pinmark
