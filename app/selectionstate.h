#pragma once
#include <QString>

namespace Pinmark {

// The main window's selection: the selected picture's address and what the output field shows
// (the last code made, or a copy of the address right after a new selection). The text fields
// Text1 and Text2 show it; they are never read back.
struct SelectionState
{
    QString Text1; // empty while nothing is selected
    QString Text2;

    friend bool operator==(const SelectionState &, const SelectionState &) = default;
};

} // namespace Pinmark
