#pragma once

#include <QString>

// How the user's phonebook shows a caller, wherever a caller is shown (tooltip, desktop
// notice); an empty field adds nothing. Header only: the notice's texts need no phonebook.
struct CallerShown
{
    QString contact; // the phonebook's name for the number
    QString number;  // the number as the user's country writes it
    QString place;   // where the number is from (only for a caller nobody has named)
    QString unwanted = QString(); // why the call is unwanted ("on the block list (0800*)")
    bool blocked = false;         // and the line was hung up on it
};
