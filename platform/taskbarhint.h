#pragma once
#include <Qt>

class QWidget;

namespace Pinmark {

// The window type of a notice: a window of its own that the desktop stacks like the main
// window, so a click on the main window can bring it in front of the notice.
Qt::WindowFlags noticeWindowFlags();

// Keeps a window that is not shown yet off the taskbar and the pager.
void keepOffTaskbar(QWidget *window);

} // namespace Pinmark
