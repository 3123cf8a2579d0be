#pragma once

#include <QString>

class QLineEdit;

// Text boxes hold no control characters: NUL, tab, line breaks, format characters and
// every other character that QChar::isPrint rejects are dropped, so that such a
// character, pasted from elsewhere, never reaches a statement or a comparison with the
// database. Characters outside the basic plane (surrogate pairs) are judged whole.

// The text without those characters.
QString withoutControlCharacters(const QString &text);

// From now on the box drops them from whatever reaches its text: typing, pasting,
// input methods, insert() and setText(). The text cursor stays after the same
// printable characters as before. It works through the box's validator; a validator
// the box already has goes on judging the text that remains, so set a window's own
// validator first. Calling it again for the same box changes nothing.
void dropControlCharacters(QLineEdit *edit);
