#include "core/placement.h"

namespace Pinmark {

namespace {

int place(int length, int start, int room)
{
    return length <= room ? start + (room - length) / 2 : start;
}

} // namespace

QPoint placeWindow(const QSize &window, const QRect &available)
{
    return {place(window.width(), available.x(), available.width()),
            place(window.height(), available.y(), available.height())};
}

} // namespace Pinmark
