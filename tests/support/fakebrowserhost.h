#pragma once
#include "browser/browserhost.h"
#include "browser/documentgenerations.h"

#include <QStringList>

#include <functional>

using namespace Pinmark;

// A browser without an engine: tests create documents and raise their events by hand,
// through the same generation bookkeeping the real engine uses.
class FakeBrowserHost : public BrowserHost
{
    Q_OBJECT
public:
    QStringList navigate2Calls;
    QStringList navigateCalls;
    // Runs at each Navigate2, before it is recorded: where a real host would start its engine.
    std::function<void()> onNavigate2;

    void attachTo(QWidget *) override {}
    void Navigate2(const QString &address) override
    {
        if (onNavigate2)
            onNavigate2();
        navigate2Calls << address;
    }
    void Navigate(const QString &address) override { navigateCalls << address; }
    HtmlDocument *Document() const override { return m_documents.current(); }

    // What the engine reports. A new top-level document becomes the current one; events of
    // any other generation are dropped.
    quint64 beginDocument(const QString &url) { return m_documents.begin(url); }
    void documentLoaded(quint64 generation, QObject *frame, const QString &address);
    void readyStateChanged(quint64 generation, const QString &state);
    void clicked(quint64 generation, const HtmlEventObj &event);
    void mouseDown(quint64 generation, const HtmlEventObj &event);
    void topLevelNavigationStarted() { Q_EMIT NavigationStarted(); }

    // Creates a new top-level document and reports it complete.
    quint64 loadPage(const QString &url, const QString &readyState = QStringLiteral("complete"));

private:
    DocumentGenerations m_documents{this};
};

HtmlEventObj clickOn(const QString &tag, const QString &id = {}, const QString &src = {},
                     const QString &href = {}, const QString &title = {});
