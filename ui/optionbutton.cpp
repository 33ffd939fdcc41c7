// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// An option button that Tab reaches even when another of its group is selected.
#include "ui/optionbutton.h"

OptionButton::OptionButton(QWidget *parent)
    : QRadioButton(parent)
{
    setAutoExclusive(false);
}

void OptionButton::clearOthers()
{
    if (!parentWidget())
        return;
    for (OptionButton *other : parentWidget()->findChildren<OptionButton *>(QString(), Qt::FindDirectChildrenOnly))
        if (other != this && other->isChecked())
            other->setChecked(false);
}

// A click or Space on the selected one leaves it selected.
void OptionButton::nextCheckState()
{
    if (isChecked())
        return;
    clearOthers();
    setChecked(true);
}

// Runs inside setChecked, before toggled() goes out.
void OptionButton::checkStateSet()
{
    if (isChecked())
        clearOthers();
}
