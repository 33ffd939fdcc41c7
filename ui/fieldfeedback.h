// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Shows on a reference field when its text is read only in part.
#pragma once

class QLineEdit;

// "1,5" reads as 1 and "−5" (Unicode minus) as 0: such a field gets an amber
// background and a tooltip line saying what it is read as. What is computed
// does not change; the field's own tooltip comes back once the text is whole.
void showHowFieldReads(QLineEdit *field);

// Whether the field currently shows the partly-read look.
bool fieldShowsPartlyRead(const QLineEdit *field);
