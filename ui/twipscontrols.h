// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Making a named control at a design position in twips, and colouring its text.
#pragma once

#include "ui/twips.h"

#include <QColor>
#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <type_traits>

// The design geometry is kept on the control, so the load-time layout and
// tests can read it back in twips.
inline const char *const TwipsProperty = "twips";

inline void placeInTwips(QWidget *control, const TwipsRect &r)
{
    control->setProperty(TwipsProperty, r.toRectF());
    control->setGeometry(r.toPixels());
}

template<class Control>
Control *make(QWidget *parent, const char *name, double left, double top, double width, double height)
{
    auto *control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    placeInTwips(control, {left, top, width, height});
    return control;
}

template<class Control>
Control *make(QWidget *parent, const char *name, const QString &caption, double left, double top,
              double width, double height)
{
    auto *control = make<Control>(parent, name, left, top, width, height);
    if constexpr (std::is_same_v<Control, QGroupBox>)
        control->setTitle(caption);
    else
        control->setText(caption);
    return control;
}

inline void setTextColour(QWidget *control, const QColor &colour)
{
    QPalette p = control->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    control->setPalette(p);
}
