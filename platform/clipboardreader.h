#pragma once
#include "platform/desktopservices.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class QMimeData;
class QProcess;

namespace Pinmark {

// Reads the clipboard's plain text for the paste button without waiting on the event loop for
// the program that holds the clipboard. Under X11 another program's text is read by the helper
// pinmark-clipread, which is ended when that program does not answer in time; the program's own
// text, and every other window system, are read through Qt's clipboard. Reads asked for while
// one is out share its result.
class ClipboardReader : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ClipboardReading &)>;

    // How long the clipboard's owner may take to answer, and then to send each further piece.
    static constexpr int AnswerWaitMs = 2000;
    // More text than this is not taken.
    static constexpr qsizetype MaxTextBytes = qsizetype(256) << 20;

    ClipboardReader(const QStringList &helperPaths, QObject *parent);
    ~ClipboardReader() override;

    // done runs later, from the event loop, unless context is gone by then.
    void read(QObject *context, Done done);

private:
    struct Waiter
    {
        QPointer<QObject> context;
        Done done;
    };

    bool startHelper();
    void readWithQt();
    static ClipboardReading readWaylandOffer(const QMimeData *offer);
    void helper_ReadyRead();
    void helper_Finished();
    void answerTimer_Timeout();
    void abandonHelper();
    void finish(const ClipboardReading &reading);

    QString m_helper; // empty when there is none
    QProcess *m_process = nullptr;
    QByteArray m_output;
    QTimer m_answerTimer;
    std::vector<Waiter> m_waiting;
};

} // namespace Pinmark
