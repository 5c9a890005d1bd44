#pragma once

namespace Pinmark {

// Who may put text on the clipboard: the program itself only, that is its code buttons and the
// user copying from its own text fields. A page that could write it would swap the code the user
// has just made for text of its own before the user pastes; one that could read it would learn
// what the user copied elsewhere. The embedded browser denies pages both, and the program's
// clipboard takes off anything else that reaches it.
enum class ClipboardWriter
{
    Program,
    Page,
};

constexpr bool mayWriteClipboard(ClipboardWriter writer)
{
    return writer == ClipboardWriter::Program;
}

} // namespace Pinmark
