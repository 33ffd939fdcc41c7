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

std::optional<QString> messageByBothTests(const Message &message)
{
    if (!message.text)
        return std::nullopt;
    std::optional<QString> chosen = textByBothTests(*message.text);
    // All at once, so a file name holding "%2" stays as it is.
    const QStringList &a = message.args;
    if (!chosen || a.isEmpty())
        return chosen;
    if (a.size() == 1)
        return chosen->arg(a[0]);
    if (a.size() == 2)
        return chosen->arg(a[0], a[1]);
    return chosen->arg(a[0], a[1], a[2]);
}
