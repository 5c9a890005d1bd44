#include "app/commandline.h"

#include "pinmark/config.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace Pinmark {

namespace {

// Options that QGuiApplication and QApplication consume, in their one-dash spelling; Qt also
// accepts them with two dashes.
const QStringList QtOptionsWithValue = {
    u"platform"_s,
    u"platformpluginpath"_s,
    u"platformtheme"_s,
    u"plugin"_s,
    u"qwindowgeometry"_s,
    u"qwindowicon"_s,
    u"qwindowtitle"_s,
    u"session"_s,
    u"display"_s,
    u"geometry"_s,
    u"name"_s,
    u"title"_s,
    u"icon"_s,
    u"style"_s,
    u"stylesheet"_s,
};
const QStringList QtFlags = {
    u"reverse"_s, u"widgetcount"_s, u"nograb"_s, u"dograb"_s, u"sync"_s, u"testability"_s,
};
// Options Qt takes only in the form -option=value.
const QStringList QtOptionsWithEquals = {u"qmljsdebugger"_s, u"style"_s, u"stylesheet"_s};
// Everything after this one is the web engine's.
const QString WebEngineArguments = u"--webEngineArgs"_s;

QString helpText()
{
    return u"Usage: pinmark [QT-OPTION]...\n"
           "Show the publisher's picture gallery and turn a chosen picture into forum code.\n"
           "\n"
           "Click a picture in the gallery, then one of the five code buttons: the bare address,\n"
           "BBCode, centred BBCode, HTML or centred HTML. The code is shown in the output field\n"
           "and put on the clipboard. The interface is in Arabic. Pinmark takes no arguments;\n"
           "Qt's own options, such as -platform NAME or -reverse, are passed to Qt.\n"
           "\n"
           "Options:\n"
           "  -h, --help     display this help and exit\n"
           "      --version  output version information and exit\n"
           "\n"
           "Exit status is 0 on success and 2 for an unknown option or argument.\n"
           "\n"
           "Failures are printed to standard error as warnings. The debug log, worth attaching to\n"
           "a problem report, is turned on with QT_LOGGING_RULES='pinmark.*.debug=true'.\n"
           "\n"
           "Report bugs at <https://www.velmora.net/pinmark/bugs>.\n"_s;
}

// The argument as it appears in the message: control characters shown as "?", so that what the
// user typed can never break the one line into several.
QString shown(const QString &argument)
{
    QString text = argument;
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u'?';
    }
    return text;
}

CommandLineAnswer refuse(const QString &line)
{
    return {CommandLineAnswer::Kind::Refuse, u"pinmark: %1 (try 'pinmark --help')\n"_s.arg(line),
            2};
}

} // namespace

CommandLineAnswer answerCommandLine(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--help"_s || argument == u"-h"_s)
            return {CommandLineAnswer::Kind::Help, helpText(), 0};
        if (argument == u"--version"_s)
            return {CommandLineAnswer::Kind::Version,
                    u"Pinmark %1\n"_s.arg(Pinmark::ApplicationVersion), 0};
        if (argument == WebEngineArguments)
            break;
        if (!argument.startsWith(u'-') || argument.size() < 2)
            return refuse(u"unexpected argument '%1'"_s.arg(shown(argument)));

        const QString name = argument.mid(argument.startsWith(u"--"_s) ? 2 : 1);
        if (QtFlags.contains(name))
            continue;
        if (QtOptionsWithValue.contains(name)) {
            if (++i == arguments.size())
                return refuse(u"option '%1' needs a value"_s.arg(shown(argument)));
            continue;
        }
        const qsizetype equals = name.indexOf(u'=');
        if (equals > 0 && QtOptionsWithEquals.contains(name.left(equals)))
            continue;
        return refuse(u"unknown option '%1'"_s.arg(shown(argument)));
    }
    return {};
}

std::optional<int> handleCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineAnswer answer = answerCommandLine(arguments);
    if (answer.kind == CommandLineAnswer::Kind::Run)
        return std::nullopt;
    std::FILE *stream = answer.kind == CommandLineAnswer::Kind::Refuse ? stderr : stdout;
    std::fputs(answer.text.toLocal8Bit().constData(), stream);
    // A closed or full standard output is a failed answer, not a successful one.
    if (std::fflush(stream) != 0 || std::ferror(stream))
        return answer.exitStatus == 0 ? 1 : answer.exitStatus;
    return answer.exitStatus;
}

} // namespace Pinmark
