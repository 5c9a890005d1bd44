#pragma once
#include <QString>

class QWidget;

namespace Pinmark {

// Where the engine's behaviour is worked around from outside, by what it does rather than by
// an API of its own. Each is checked again when Qt changes: see the versions noted there.

// Lets the engine's pages reach the screen reader; call before the engine starts.
void enableEngineAccessibility();

// Whether a confirmation the engine asks is its own question about leaving the page.
bool isLeavePageQuestion(const QString &message);

// Keeps the engine's hidden drawing windows out of the accessibility tree; call whenever the
// view gains a child.
void hideDrawingWindows(const QWidget *view);

} // namespace Pinmark
