#include "platform/clipboardkeeper.h"

#include "platform/logging.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Pinmark {

namespace {

// How long the keeper may take to read each piece of the text, and then to answer.
constexpr int AnswerWaitMs = 3000;

void closeBoth(int fds[2])
{
    ::close(fds[0]);
    ::close(fds[1]);
}

bool waitFor(int fd, short events)
{
    pollfd ready = {fd, events, 0};
    int n;
    while ((n = ::poll(&ready, 1, AnswerWaitMs)) < 0 && errno == EINTR) {
    }
    return n > 0;
}

// A keeper that stops reading gives up the hand-over instead of holding the program's exit.
bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT))
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

KeeperStart startClipboardKeeper(const QString &program, const QByteArray &utf8Text)
{
    const QByteArray path = QFile::encodeName(program);
    int toKeeper[2];
    int fromKeeper[2];
    if (::pipe2(toKeeper, O_CLOEXEC) != 0)
        return KeeperStart::Failed;
    if (::pipe2(fromKeeper, O_CLOEXEC) != 0) {
        closeBoth(toKeeper);
        return KeeperStart::Failed;
    }

    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls from here to exec. The keeper leads a session of its own
        // and is the grandchild: it belongs neither to this program's tree nor to its terminal.
        if (::setsid() < 0)
            ::_exit(1);
        const pid_t keeper = ::fork();
        if (keeper != 0)
            ::_exit(keeper < 0 ? 1 : 0);
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (::dup2(toKeeper[0], 0) < 0 || ::dup2(fromKeeper[1], 1) < 0 || devNull < 0 ||
            ::dup2(devNull, 2) < 0 || ::chdir("/") != 0)
            ::_exit(1);
        // Nothing of this program stays open in the keeper: the web engine's helpers end when
        // their sockets close.
        if (::close_range(3, ~0U, 0) != 0) {
            for (long fd = ::sysconf(_SC_OPEN_MAX) - 1; fd >= 3; --fd)
                ::close(int(fd));
        }
        ::signal(SIGPIPE, SIG_DFL);
        ::execl(path.constData(), path.constData(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(toKeeper[0]);
    ::close(fromKeeper[1]);
    if (child < 0) {
        ::close(toKeeper[1]);
        ::close(fromKeeper[0]);
        return KeeperStart::Failed;
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }

    // A keeper that failed to start must not end this program with SIGPIPE.
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    ::fcntl(toKeeper[1], F_SETFL, O_NONBLOCK);
    const bool sent = writeAll(toKeeper[1], utf8Text);
    ::close(toKeeper[1]);
    ::sigaction(SIGPIPE, &previous, nullptr);

    char answer = 0;
    if (sent && waitFor(fromKeeper[0], POLLIN) && ::read(fromKeeper[0], &answer, 1) != 1)
        answer = 0;
    ::close(fromKeeper[0]);
    if (answer == '1')
        return KeeperStart::Serving;
    return answer == '0' ? KeeperStart::Declined : KeeperStart::Failed;
}

void keepClipboardText(const QStringList &keeperPaths, const QByteArray &utf8Text)
{
    for (const QString &path : keeperPaths) {
        if (!QFileInfo(path).isExecutable())
            continue;
        const KeeperStart start = startClipboardKeeper(path, utf8Text);
        qCDebug(lcClipboard, "keeper %s: %s", qUtf8Printable(path),
                start == KeeperStart::Serving    ? "serving"
                : start == KeeperStart::Declined ? "declined"
                                                 : "failed");
        if (start == KeeperStart::Failed) {
            qCWarning(lcClipboard,
                      "The clipboard keeper %s did not start or did not answer: the "
                      "code on the clipboard ends with the program.",
                      qUtf8Printable(path));
        }
        return;
    }
    qCWarning(lcClipboard,
              "No clipboard keeper is installed (looked for %s): the code on the "
              "clipboard ends with the program.",
              qUtf8Printable(keeperPaths.join(QStringLiteral(", "))));
}

} // namespace Pinmark
