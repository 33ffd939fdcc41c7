// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide interface language.
#include "app/idioma.h"

QString Idioma;
