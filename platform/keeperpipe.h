#pragma once
// The keepers' side of the hand-over (see clipboardkeeper.h): the text arrives whole on standard
// input, and one byte answers the program on standard output.

#include <cerrno>
#include <cstddef>
#include <string>
#include <unistd.h>

namespace Pinmark::KeeperPipe {

constexpr size_t MaxText = size_t(256) << 20;

// The whole text, or nothing when it is larger than a keeper takes: a part of it is never
// served.
inline bool readText(std::string &text)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (text.size() + size_t(n) > MaxText)
            return false;
        text.append(buffer, size_t(n));
    }
}

// '1' serving, '0' declined. A keeper that fails ends without answering.
inline void answer(char c)
{
    while (::write(1, &c, 1) < 0 && errno == EINTR) {
    }
    ::close(1);
    ::close(0);
}

} // namespace Pinmark::KeeperPipe
