#pragma once
#include <QString>
#include <QStringList>

#include <optional>

namespace Pinmark {

// Pinmark takes no arguments for its work, but answers --help and --version like any command,
// refuses what it does not know, and lets Qt's own options (-platform, -reverse, ...) through.
// All of it happens before the window system is touched, so it works without a display.

struct CommandLineAnswer
{
    enum class Kind
    {
        Run,
        Help,
        Version,
        Refuse
    };
    Kind kind = Kind::Run;
    // For Help and Version the text for standard output; for Refuse the one line for standard
    // error. Both end in a newline.
    QString text;
    int exitStatus = 0;
};

// `arguments` are the arguments after the program's name.
CommandLineAnswer answerCommandLine(const QStringList &arguments);

// Prints the answer for argv and returns the exit status, or nothing when the program should run.
std::optional<int> handleCommandLine(int argc, char *argv[]);

} // namespace Pinmark
