// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard mnemonics on the menus, and names a screen reader can tell apart.
#pragma once

class QMenuBar;
class QWidget;

// Marks one letter of every menu title and item, whichever language its
// caption is in; the caption's text stays the same.
void addMnemonics(QMenuBar *menus);

// Gives every control under `root` an accessible name in the current
// language (its tooltip, its caption, or a name of its own) and, where the
// tooltip says more, an accessible description.
void nameForAssistiveTechnology(QWidget *root);
