#pragma once
#include <QString>

class QWebChannel;
class QWebEnginePage;

namespace Pinmark {

// The scripts the program runs in its pages, each a resource built into the plugin, all in the
// program's isolated world where the page's own scripts cannot reach them.

// Gives every new document of the page the document script (after the channel's client) and
// every frame the clipboard guard, and opens the channel to the document script.
void installPageScripts(QWebEnginePage *page, QWebChannel *channel);

// Asks the document script, if the current document has one, to report its page as loaded
// now; it answers what it knew before, or null where no document script runs.
QString loadEndedProbe();

// Answers at once from a renderer that is alive.
QString aliveProbe();

// A text built into the plugin; its absence is a broken build.
QString builtInText(const QString &path);

} // namespace Pinmark
