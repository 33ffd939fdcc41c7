// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide interface language.
#include "language/idioma.h"

QString Idioma;
