// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Fusion without the pictures it decodes at start-up.
#include "ui/pontivastyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// A chevron painted on demand: the overflow button of a menu bar that never
// overflows should cost nothing.
class ChevronEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(Qt::darkGray, 1.5));
        const QPointF c = QRectF(rect).center();
        const double s = std::min(rect.width(), rect.height()) / 5.0;
        for (double dx : {-s, s * 0.4}) {
            painter->drawLine(QPointF(c.x() + dx - s / 2, c.y() - s), QPointF(c.x() + dx + s / 2, c.y()));
            painter->drawLine(QPointF(c.x() + dx + s / 2, c.y()), QPointF(c.x() + dx - s / 2, c.y() + s));
        }
        painter->restore();
    }
    QIconEngine *clone() const override { return new ChevronEngine; }
};

} // namespace

PontivaStyle::PontivaStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
}

void PontivaStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                 QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameGroupBox) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor edge = option->palette.window().color().darker(125);
        painter->setPen(edge);
        painter->setBrush(option->palette.window().color().darker(102));
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QIcon PontivaStyle::standardIcon(StandardPixmap icon, const QStyleOption *option,
                                 const QWidget *widget) const
{
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new ChevronEngine);
    return QProxyStyle::standardIcon(icon, option, widget);
}
