// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The view: zoom steps, Fit, Actual size, Ctrl+wheel about the pointer, and
// a viewport that fills the window when asked.
#include "ui/form1.h"

#include "picture/prescaledcopies.h"
#include "view/picturepanel.h"
#include "view/viewportclip.h"
#include "view/zoomsteps.h"

#include <QAction>
#include <QFutureWatcher>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// The whole picture inside the viewport.
double fitZoom(QSize picture, QSize view)
{
    if (picture.isEmpty() || view.isEmpty())
        return 1;
    const double zoom = std::min(double(view.width()) / picture.width(), double(view.height()) / picture.height());
    return std::clamp(zoom, zoomAtStep(SmallestZoomStep), zoomAtStep(LargestZoomStep));
}

} // namespace

// Keeps the picture point under `anchor` (viewport pixels) where it is.
void Form1::zoomTo(double zoom, QPoint anchor)
{
    if (!ImagemCarregada)
        return;
    const QPointF at = Picture2->pictureFromWidget(QPointF(Picture2->mapFrom(Picture1Client, anchor)));
    if (zoom < 1 && !PrescaledWanted) {
        // Made once a view first needs them, so a load costs nothing more.
        PrescaledWanted = true;
        auto *watcher = new QFutureWatcher<std::shared_ptr<const PrescaledCopies>>(this);
        const QImage picture = Picture2->picture();
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, picture] {
            if (Picture2->picture().constBits() == picture.constBits())
                Picture2->setPrescaled(watcher->result());
            watcher->deleteLater();
        });
        watcher->setFuture(buildPrescaledCopies(picture));
    }
    Picture2->setZoom(zoom);
    Picture1Client->fitScrollBarsTo(Picture2->size());
    const QPointF onPanel = Picture2->widgetFromPicture(at) - QPointF(Picture2->contentsRect().topLeft());
    HScroll1->setValue(int(std::lround(onPanel.x() - anchor.x())));
    VScroll1->setValue(int(std::lround(onPanel.y() - anchor.y())));
    HScroll1_Change();
    VScroll1_Change();
    updateGrid();
    showZoom();
}

void Form1::zoomBy(int steps, QPoint anchor)
{
    double zoom = Picture2->zoom();
    for (int i = 0; i < std::abs(steps); ++i)
        zoom = nextZoom(zoom, steps);
    zoomTo(zoom, anchor);
}

QPoint Form1::viewportCentre() const
{
    return QPoint(Picture1Client->width() / 2, Picture1Client->height() / 2);
}

void Form1::AmpliarVista_Click()
{
    zoomBy(1, viewportCentre());
}

void Form1::ReduzirVista_Click()
{
    zoomBy(-1, viewportCentre());
}

void Form1::TamanhoReal_Click()
{
    zoomTo(1, viewportCentre());
}

void Form1::AjustarVista_Click()
{
    zoomTo(fitZoom(Picture2->picture().size(), Picture1Client->size()), viewportCentre());
    HScroll1->setValue(0);
    VScroll1->setValue(0);
}

// The zoom a new picture opens at: 1:1, or the whole picture when asked.
double Form1::openingZoom(QSize picture) const
{
    const QSize view = Picture1Client->size();
    const bool large = picture.width() > view.width() || picture.height() > view.height();
    return AjustarAoAbrir->isChecked() && large ? fitZoom(picture, view) : 1;
}

void Form1::showZoom()
{
    const double percent = Picture2->zoom() * 100;
    ZoomAtual->setText(textByBothTests(Texts::ZoomAtual)
                           .value_or(QString())
                           .arg(QString::number(percent, 'f', percent < 10 ? 1 : 0)));
    AmpliarVista->setEnabled(ImagemCarregada && Picture2->zoom() < zoomAtStep(LargestZoomStep));
    ReduzirVista->setEnabled(ImagemCarregada && Picture2->zoom() > zoomAtStep(SmallestZoomStep));
    TamanhoReal->setEnabled(ImagemCarregada);
    AjustarVista->setEnabled(ImagemCarregada);
}

// On: the viewport takes all the room the window has beyond the start-up
// layout; off: that layout, exactly.
void Form1::fillWindow()
{
    if (PartsClient.isEmpty())
        return; // before the start-up layout
    QSize extra(0, 0);
    if (EncherJanela->isChecked()) {
        const QSize room = Scroller->viewport()->size();
        extra = QSize(std::max(0, room.width() - PartsClient.width()), std::max(0, room.height() - PartsClient.height()));
    }
    Central->setFixedSize(PartsClient + extra);
    placeLayout(extra.isNull() ? PartsLayout : grownBy(PartsLayout, pixelsToTwips(extra.width()), pixelsToTwips(extra.height())));
    Picture1Client->fitScrollBarsTo(Picture2->size());
    HScroll1_Change();
    VScroll1_Change();
    updateGrid();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (EncherJanela && EncherJanela->isChecked())
        fillWindow();
}
