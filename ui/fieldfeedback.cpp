// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Shows on a reference field when its text is read only in part.
#include "ui/fieldfeedback.h"

#include "language/languagetexts.h"
#include "calibration/numberparsing.h"

#include <QLineEdit>
#include <QPalette>

namespace {

const char *const PlainToolTip = "plainToolTip";
const char *const PartlyRead = "partlyRead";
const QColor Amber(255, 214, 150);

} // namespace

void showHowFieldReads(QLineEdit *field)
{
    // The language's tooltip, kept from before the first warning replaced it.
    if (!field->property(PlainToolTip).isValid())
        field->setProperty(PlainToolTip, field->toolTip());
    const QString plain = field->property(PlainToolTip).toString();

    const std::string text = field->text().toStdString();
    const bool whole = pontiva::readsWhole(text);
    if (whole && !fieldShowsPartlyRead(field))
        return; // the common case while typing digits: nothing to change
    field->setProperty(PartlyRead, !whole);
    if (whole) {
        field->setPalette(QPalette());
        field->setToolTip(plain);
        return;
    }
    QPalette amber;
    amber.setColor(QPalette::Base, Amber);
    field->setPalette(amber);
    const QString value = QString::number(pontiva::parseNumber(text), 'g', 15);
    const QString readAs = textByBothTests(Texts::LidoComo).value_or(QStringLiteral("= %1")).arg(value);
    field->setToolTip(plain.isEmpty() ? readAs : plain + QLatin1Char('\n') + readAs);
}

bool fieldShowsPartlyRead(const QLineEdit *field)
{
    return field->property(PartlyRead).toBool();
}
