#include "browser/webengine/pagescripts.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace Pinmark {

namespace {

QWebEngineScript documentScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("pinmark-document"));
    // Both parts are compiled into the program: the channel's client, then ours.
    script.setSourceCode(builtInText(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                         QLatin1Char('\n') +
                         builtInText(QStringLiteral(":/pinmark/documentscript.js")));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

// Runs in every frame, before any script of the page (see the script).
QWebEngineScript clipboardGuardScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("pinmark-clipboard"));
    script.setSourceCode(builtInText(QStringLiteral(":/pinmark/clipboardguard.js")));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    return script;
}

} // namespace

void installPageScripts(QWebEnginePage *page, QWebChannel *channel)
{
    page->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
    page->scripts().insert(documentScript());
    page->scripts().insert(clipboardGuardScript());
}

QString loadEndedProbe()
{
    static const QString source = builtInText(QStringLiteral(":/pinmark/loadended.js"));
    return source;
}

QString aliveProbe()
{
    static const QString source = builtInText(QStringLiteral(":/pinmark/alive.js"));
    return source;
}

QString builtInText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Missing built-in resource %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace Pinmark
