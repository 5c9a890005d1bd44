#pragma once

class QWebEnginePage;

namespace Pinmark {

// Refuses every permission a page asks for: camera, microphone, location, notifications, screen
// capture, pointer lock and the rest. The gallery needs none of them, and a prompt would be a
// box the page could raise at will. Qt changed how pages ask between 6.7 and 6.8; the choice of
// API is made here and nowhere else.
void denyAllPermissions(QWebEnginePage *page);

} // namespace Pinmark
