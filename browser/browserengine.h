#pragma once
#include <QString>
#include <QtPlugin>

class QObject;

namespace Pinmark {

class BrowserHost;

// What an engine plugin offers the program: the host that runs WebBrowser1 on that engine.
// The program loads the plugin and asks for the host at the first navigation.
class BrowserEngine
{
public:
    virtual ~BrowserEngine() = default;

    // Why the engine cannot run in this process, for the user; empty when it can. Asked before
    // createHost(), so that an engine that would end the whole program is never started.
    virtual QString refusal() const { return {}; }

    // Prepares the engine and makes its host; called once, after the application object exists.
    virtual BrowserHost *createHost(QObject *parent) = 0;
};

} // namespace Pinmark

#define PinmarkBrowserEngine_iid "net.velmora.Pinmark.BrowserEngine/1"
Q_DECLARE_INTERFACE(Pinmark::BrowserEngine, PinmarkBrowserEngine_iid)
