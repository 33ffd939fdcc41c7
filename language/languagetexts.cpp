// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every caption, tooltip and message in both languages, and how one is chosen.
#include "language/languagetexts.h"

#include "language/idioma.h"

std::optional<QString> textByBothTests(const Bilingual &text)
{
    std::optional<QString> chosen;
    if (Idioma == QLatin1String("Portugues"))
        chosen = QString::fromUtf8(text.portugues);
    if (Idioma == QLatin1String("Ingles"))
        chosen = QString::fromUtf8(text.ingles);
    return chosen;
}

QString textPortugueseOrEnglish(const Bilingual &text)
{
    return QString::fromUtf8(Idioma == QLatin1String("Portugues") ? text.portugues : text.ingles);
}
