// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Fusion without the pictures it decodes at start-up.
#pragma once

#include <QProxyStyle>

// Fusion draws group-box frames and the menu bar's overflow arrow from PNG
// files; the first of them makes Qt load every image plugin before the
// window can paint. Both are drawn here instead, so start-up decodes nothing.
class PontivaStyle : public QProxyStyle
{
    Q_OBJECT
public:
    PontivaStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
