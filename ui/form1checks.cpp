// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What lets the user trust a calibration: the grid of round values drawn
// through it, the worth of half a pixel, undo of reference points, and
// calibrations remembered per picture.
#include "ui/form1.h"

#include "calibration/storedcalibration.h"
#include "ui/decimalseparator.h"
#include "view/magnifier.h"
#include "view/picturepanel.h"
#include "view/viewportclip.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFutureWatcher>
#include <QStandardPaths>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// Unlike the markers (red, green, blue) and the dots (red), and thin.
const QColor GridColour(200, 0, 200);

QString gridValue(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

// The visible part of the picture, in logical coordinates (0..100 across
// the picture): where the grid's values are written.
pontiva::LogicalRect Form1::visibleLogical() const
{
    const QRect view(Picture2->mapFrom(Picture1Client, QPoint(0, 0)), Picture1Client->size());
    const QPointF a = Picture2->logicalFromPicture(Picture2->pictureFromWidget(view.topLeft()));
    const QPointF b = Picture2->logicalFromPicture(Picture2->pictureFromWidget(view.bottomRight() + QPoint(1, 1)));
    // Of the picture only: the view may be larger than a small picture.
    return {std::max(0.0, std::min(a.x(), b.x())), std::max(0.0, std::min(a.y(), b.y())),
            std::min(100.0, std::max(a.x(), b.x())), std::min(100.0, std::max(a.y(), b.y()))};
}

void Form1::updateGrid()
{
    if (!GrelhaCalibracao || !Picture2->hasPicture())
        return;
    Picture2->clearLayer(DrawingLayer::Grid);
    if (!GrelhaCalibracao->isChecked())
        return;
    const std::vector<pontiva::GridLine> lines = Engine.grid(referenceInputs());
    if (lines.empty())
        return;
    const pontiva::LogicalRect visible = visibleLogical();
    // A few screen pixels in logical units, to keep the values inside the view.
    const QPointF origin = Picture2->logicalFromPicture({0, 0});
    const QPointF step = Picture2->logicalFromPicture({1 / Picture2->zoom(), 1 / Picture2->zoom()}) - origin;
    const int width = Picture2->drawWidth();
    const QColor colour = Picture2->foreColor();
    Picture2->setDrawWidth(1);
    Picture2->setForeColor(GridColour);
    for (const pontiva::GridLine &line : lines) {
        Picture2->drawLine({line.x1, line.y1}, {line.x2, line.y2}, DrawingLayer::Grid);
        const auto shown = pontiva::clipLine(line, visible);
        if (!shown)
            continue;
        // Lines of X are labelled where they meet the view's bottom edge, lines
        // of Y where they meet its left edge; a line that meets neither goes
        // unlabelled rather than crowd the others.
        const bool firstEnd = line.constantX ? shown->y1 <= shown->y2 : shown->x1 <= shown->x2;
        QPointF at = firstEnd ? QPointF(shown->x1, shown->y1) : QPointF(shown->x2, shown->y2);
        const bool onEdge = line.constantX ? std::abs(at.y() - visible.bottom) < std::abs(step.y())
                                           : std::abs(at.x() - visible.left) < std::abs(step.x());
        if (!onEdge)
            continue;
        at += QPointF(3 * step.x(), -16 * step.y()); // right of the line, above the bottom edge
        at.setX(std::min(at.x(), visible.right - 40 * step.x()));
        at.setY(std::max(std::min(at.y(), visible.top + 2 * step.y()), visible.bottom - 16 * step.y()));
        Picture2->drawText(at, gridValue(line.value), DrawingLayer::Grid);
    }
    Picture2->setDrawWidth(width);
    Picture2->setForeColor(colour);
}

void Form1::GrelhaCalibracao_Click(bool)
{
    updateGrid();
}

// Beside the crosshair, while reading: how many digits of the readout count.
void Form1::showHalfPixel()
{
    const auto worth = Option_LeituraDados->isChecked() ? Engine.halfPixel(referenceInputs()) : std::nullopt;
    if (!worth) {
        Lupa->setNote({});
        return;
    }
    const QChar point = QLatin1Char(decimalSeparator());
    auto text = [&point](double value, bool relative) {
        QString s = relative ? QString::number(value * 100, 'g', 2) + QStringLiteral(" %") : QString::number(value, 'g', 2);
        return s.replace(QLatin1Char('.'), point);
    };
    Lupa->setNote(textByBothTests(Texts::MeioPixel)
                      .value_or(QString())
                      .arg(text(worth->x, worth->xRelative), text(worth->y, worth->yRelative)));
}

// While calibrating, undo and redo move the latest reference point back and
// forth, with its status label; while reading they take recorded points.
void Form1::undoPlacement(bool redo)
{
    const int point = redo ? Engine.redoPlacement() : Engine.undoPlacement();
    if (point < 0)
        return;
    const pontiva::CalibrationState &points = Engine.calibration();
    const bool placed[] = {points.CantoDefinido0, points.CantoDefinido1, points.CantoDefinido2};
    QLabel *const labels[] = {Label0, Label1, Label2};
    labels[point]->setText(placed[point] ? TextoCalibrado : TextoNaoCalibrado);
    RepresentaPontos();
    Option_LeituraDados->setEnabled(points.allDefined());
    calibrationChanged();
    updateEditActions();
}

// Every change of a field, a log box or a point; not on a pointer move, for
// what half a pixel is worth does not depend on where the pointer is.
void Form1::calibrationChanged()
{
    updateGrid();
    showHalfPixel();
    rememberCalibration();
}

namespace {

pontiva::CalibrationMemory calibrationMemory()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return pontiva::CalibrationMemory(QFile::encodeName(data + QStringLiteral("/pontiva/calibrations")).toStdString());
}

} // namespace

// The picture's content key arrives once its file has been read again; a
// later load makes it stale.
void Form1::learnPictureContent(QFuture<std::optional<std::uint64_t>> key)
{
    const int generation = ++ContentGeneration;
    PictureContent.reset();
    RestaurarCalibracao->setEnabled(false);
    // A watcher the window owns: a window closed before the key comes never hears of it.
    auto *watcher = new QFutureWatcher<std::optional<std::uint64_t>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        const std::optional<std::uint64_t> content = watcher->result();
        if (generation != ContentGeneration || !content)
            return;
        PictureContent = content;
        const QImage &picture = Picture2->picture();
        if (calibrationMemory().find(*content, picture.width(), picture.height())) {
            RestaurarCalibracao->setEnabled(true);
            say({&Texts::CalibracaoGuardada, {}});
        }
        rememberCalibration(); // one completed before the key was known
    });
    watcher->setFuture(key);
}

// A calibration that gives values is stored for the picture's content.
void Form1::rememberCalibration()
{
    if (!PictureContent || !Engine.halfPixel(referenceInputs()))
        return;
    pontiva::StoredCalibration c;
    c.width = Picture2->picture().width();
    c.height = Picture2->picture().height();
    const pontiva::ReferenceInputs fields = referenceInputs();
    c.x0 = fields.x0, c.x1 = fields.x1, c.y0 = fields.y0, c.y2 = fields.y2;
    c.xLog = fields.xLog, c.yLog = fields.yLog;
    c.points = Engine.calibration();
    calibrationMemory().store(*PictureContent, c);
}

// Everything back as if typed, ticked and clicked again.
void Form1::RestaurarCalibracao_Click()
{
    const QImage &picture = Picture2->picture();
    const auto stored = PictureContent ? calibrationMemory().find(*PictureContent, picture.width(), picture.height())
                                       : std::nullopt;
    if (!stored || !Option_Calibracao->isEnabled())
        return;
    Option_Calibracao->setChecked(true);
    Text_X0->setText(QString::fromStdString(stored->x0));
    Text_X1->setText(QString::fromStdString(stored->x1));
    Text_Y0->setText(QString::fromStdString(stored->y0));
    Text_Y2->setText(QString::fromStdString(stored->y2));
    Check_XLog->setChecked(stored->xLog);
    Check_YLog->setChecked(stored->yLog);
    Engine.restoreCalibration(stored->points);
    for (QLabel *label : {Label0, Label1, Label2})
        label->setText(TextoCalibrado);
    RepresentaPontos();
    Option_LeituraDados->setEnabled(true);
    calibrationChanged();
    updateEditActions();
    say({&Texts::CalibracaoRestaurada, {}});
}
