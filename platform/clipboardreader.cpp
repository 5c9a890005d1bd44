#include "platform/clipboardreader.h"

#include "platform/logging.h"
#include "platform/windowsystem.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>

#include <utility>

namespace Pinmark {

ClipboardReader::ClipboardReader(const QStringList &helperPaths, QObject *parent) : QObject(parent)
{
    for (const QString &path : helperPaths) {
        if (QFileInfo(path).isExecutable()) {
            m_helper = path;
            break;
        }
    }
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &ClipboardReader::answerTimer_Timeout);
}

ClipboardReader::~ClipboardReader()
{
    // A helper still waiting for an owner ends with the program.
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

void ClipboardReader::read(QObject *context, Done done)
{
    m_waiting.push_back({context, std::move(done)});
    if (m_waiting.size() > 1)
        return; // joins the read that is out
    qCDebug(lcClipboard, "reading the clipboard");
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (windowSystem() == WindowSystem::X11 && !clipboard->ownsClipboard() && startHelper())
        return;
    // Read on the next turn of the event loop, so that every road answers the same way.
    QMetaObject::invokeMethod(this, &ClipboardReader::readWithQt, Qt::QueuedConnection);
}

bool ClipboardReader::startHelper()
{
    if (m_helper.isEmpty()) {
        qCWarning(lcClipboard, "no clipboard reader beside the program: reading in the window");
        return false;
    }
    m_output.clear();
    m_process = new QProcess(this);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_process, &QProcess::readyReadStandardOutput, this,
            &ClipboardReader::helper_ReadyRead);
    connect(m_process, &QProcess::finished, this, &ClipboardReader::helper_Finished);
    m_process->start(m_helper, {});
    if (!m_process->waitForStarted(1000)) {
        qCWarning(lcClipboard) << "the clipboard reader did not start:" << m_process->errorString();
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
        return false;
    }
    m_answerTimer.start(AnswerWaitMs);
    return true;
}

void ClipboardReader::helper_ReadyRead()
{
    m_output += m_process->readAllStandardOutput();
    if (m_output.size() > MaxTextBytes + 1) {
        abandonHelper();
        finish({ClipboardReading::TooLong, {}});
        return;
    }
    // The owner has answered, and sends on: each piece gets the same time again.
    m_answerTimer.start(AnswerWaitMs);
}

void ClipboardReader::helper_Finished()
{
    QProcess *process = std::exchange(m_process, nullptr);
    m_answerTimer.stop();
    const QByteArray output = std::exchange(m_output, {}) + process->readAllStandardOutput();
    const bool clean = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    process->deleteLater();
    if (output.isEmpty()) {
        // Without its display the helper cannot have asked anyone: the window reads instead.
        qCWarning(lcClipboard, "the clipboard reader could not read: reading in the window");
        readWithQt();
        return;
    }
    // Ended in the middle of the text: the owner went away, and a part is never taken.
    if (!clean) {
        finish({ClipboardReading::NoAnswer, {}});
        return;
    }
    if (output.size() > MaxTextBytes + 1) {
        finish({ClipboardReading::TooLong, {}});
        return;
    }
    const QByteArrayView bytes = QByteArrayView(output).sliced(1);
    switch (output.front()) {
    case 'u':
        finish({ClipboardReading::Text, QString::fromUtf8(bytes)});
        break;
    case 'l':
        finish({ClipboardReading::Text, QString::fromLatin1(bytes)});
        break;
    default:
        finish({ClipboardReading::Text, {}});
        break;
    }
}

void ClipboardReader::answerTimer_Timeout()
{
    if (!m_process)
        return;
    qCWarning(lcClipboard, "the program holding the clipboard does not answer");
    abandonHelper();
    finish({ClipboardReading::NoAnswer, {}});
}

void ClipboardReader::abandonHelper()
{
    QProcess *process = std::exchange(m_process, nullptr);
    m_answerTimer.stop();
    m_output = {};
    process->disconnect(this);
    // Reaped once it has gone: nothing waits for it here.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

void ClipboardReader::readWithQt()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (windowSystem() == WindowSystem::Wayland && !clipboard->ownsClipboard()) {
        finish(readWaylandOffer(clipboard->mimeData()));
        return;
    }
    finish({ClipboardReading::Text, clipboard->text()});
}

// Qt's Wayland clipboard waits up to a second for each piece of the owner's answer and then
// reads as empty, and its text() asks for two formats in turn. One format is asked for here,
// the one text() would take first, so a silent owner holds the window for one second, not two;
// an owner that offered text and sent none did not answer.
ClipboardReading ClipboardReader::readWaylandOffer(const QMimeData *offer)
{
    if (!offer || !offer->hasText())
        return {ClipboardReading::Text, {}};
    const QString utf8 = QStringLiteral("text/plain;charset=utf-8");
    const QString text =
        offer->hasFormat(utf8) ? QString::fromUtf8(offer->data(utf8)) : offer->text();
    if (text.isEmpty()) {
        qCWarning(lcClipboard, "the program holding the clipboard offered text and sent none");
        return {ClipboardReading::NoAnswer, {}};
    }
    return {ClipboardReading::Text, text};
}

void ClipboardReader::finish(const ClipboardReading &reading)
{
    qCDebug(lcClipboard, "read: status %d, %lld characters, %zu waiting", int(reading.status),
            qlonglong(reading.text.size()), m_waiting.size());
    std::vector<Waiter> waiting;
    waiting.swap(m_waiting);
    for (const Waiter &w : waiting) {
        if (w.context)
            w.done(reading);
    }
}

} // namespace Pinmark
