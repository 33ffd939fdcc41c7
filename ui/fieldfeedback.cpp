// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Shows on a reference field when its text is read only in part.
#include "ui/fieldfeedback.h"

#include "language/languagetexts.h"
#include "calibration/numberparsing.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>
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

namespace {

class SelectOnFocusClick : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Qt gives the focus just before it delivers the press that placed
        // the cursor: select once that press is done.
        auto *field = static_cast<QLineEdit *>(watched);
        if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, field, [field] { field->selectAll(); });
        return false;
    }
};

} // namespace

void selectAllOnFocusClick(QLineEdit *field)
{
    field->installEventFilter(new SelectOnFocusClick(field));
}
