#include "platform/taskbarhint.h"

namespace Pinmark {

Qt::WindowFlags noticeWindowFlags()
{
    // A tool window has no taskbar button on Windows and is stacked like any other window.
    return Qt::Tool | Qt::FramelessWindowHint;
}

void keepOffTaskbar(QWidget *) {}

} // namespace Pinmark
