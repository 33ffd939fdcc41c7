// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide interface language.
#pragma once

#include <QString>

// "Portugues" or "Ingles"; start-up sets "Ingles" before the window exists
// and nothing changes it afterwards. Any other value is honoured as it is:
// texts chosen by both tests then stay untranslated.
extern QString Idioma;
