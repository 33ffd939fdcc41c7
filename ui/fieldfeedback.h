// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a reference field answers the user: it shows when its text is read
// only in part, and a click into it selects what it holds.
#pragma once

class QLineEdit;

// "1,5" reads as 1 and "−5" (Unicode minus) as 0: such a field gets an amber
// background and a tooltip line saying what it is read as. What is computed
// does not change; the field's own tooltip comes back once the text is whole.
void showHowFieldReads(QLineEdit *field);

// Whether the field currently shows the partly-read look.
bool fieldShowsPartlyRead(const QLineEdit *field);

// A click that gives the field the keyboard selects its whole text, as Tab
// does, so typing replaces the value; a click into a field that already has
// the keyboard places the cursor as usual.
void selectAllOnFocusClick(QLineEdit *field);
