// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding many points at once: every mark like one, a whole curve.
#include "ui/form1.h"

#include "ui/decimalseparator.h"
#include "picture/pointsearch.h"
#include "snapping/marksnap.h"
#include "view/candidatedrawing.h"
#include "view/picturepanel.h"

#include <QAction>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>

#include <cmath>

namespace {

pontiva::PixelPoint pixelPoint(QPointF p) { return {p.x(), p.y()}; }

} // namespace

void Form1::createExtractionMenus()
{
    Editar->addSeparator();
    // Named in Portuguese at first, as every caption is before a language applies.
    auto add = [this](QAction *&action, const char *name, const QKeySequence &key) {
        QString caption;
        for (const NamedText &entry : CaptionTable)
            if (qstrcmp(entry.control, name) == 0)
                caption = QString::fromUtf8(entry.text.portugues);
        action = Editar->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            action->setShortcut(key);
        action->setEnabled(false);
    };
    add(ProcurarMarcas, "ProcurarMarcas", {});
    add(SeguirCurva, "SeguirCurva", {});
    add(PassoCurva, "PassoCurva", {});
    add(GravarEncontrados, "GravarEncontrados", QKeySequence(Qt::Key_Return));
    add(DescartarEncontrados, "DescartarEncontrados", QKeySequence(Qt::Key_Escape));
    GravarEncontrados->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    PassoCurva->setEnabled(true);
}

void Form1::connectExtraction()
{
    Search = new PointSearch(this);
    connect(Search, &PointSearch::finished, this, &Form1::searchFinished);
    connect(ProcurarMarcas, &QAction::triggered, this, &Form1::ProcurarMarcas_Click);
    connect(SeguirCurva, &QAction::triggered, this, &Form1::SeguirCurva_Click);
    connect(PassoCurva, &QAction::triggered, this, &Form1::PassoCurva_Click);
    connect(GravarEncontrados, &QAction::triggered, this, &Form1::GravarEncontrados_Click);
    connect(DescartarEncontrados, &QAction::triggered, this, &Form1::DescartarEncontrados_Click);
    // Only while reading: a change of mode drops what was found.
    connect(Option_LeituraDados, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            discardCandidates();
        updateExtractionActions();
    });
}

void Form1::updateExtractionActions()
{
    const bool reading = Option_LeituraDados->isChecked() && ImagemCarregada;
    ProcurarMarcas->setEnabled(reading);
    SeguirCurva->setEnabled(reading);
    GravarEncontrados->setEnabled(Candidates.active() && !Search->running());
    DescartarEncontrados->setEnabled(Candidates.active() || Search->running() || ArmedTool != Armed::None);
}

// A press while reading: Shift (or the armed Find similar marks) takes the
// mark there as the example, Ctrl (or Trace curve) follows the line there;
// with candidates shown, a click drops or takes back one, or adds a mark.
// False: an ordinary click, to be recorded.
bool Form1::extractionPress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const ReadingPosition &at)
{
    if (!Option_LeituraDados->isChecked() || !ImagemCarregada || button != Qt::LeftButton)
        return false;
    if (Search->running())
        return true; // one search at a time; Esc stops it
    if (modifiers & Qt::ShiftModifier || ArmedTool == Armed::FindMarks) {
        ArmedTool = Armed::None;
        DragStart = at.pointer;
        startMarkSearch(at.pointer, std::nullopt);
        return true;
    }
    if (modifiers & Qt::ControlModifier || ArmedTool == Armed::TraceCurve) {
        ArmedTool = Armed::None;
        startTrace(at.pointer);
        return true;
    }
    if (!Candidates.active())
        return false;
    // A candidate within a few screen pixels; else the mark there, snapped.
    const double near = std::max(3.0, 8 / Picture2->zoom());
    if (Candidates.toggleNear(pixelPoint(at.pointer), near) < 0) {
        const auto mark = pontiva::snapToMark(pixelsOfImage(Picture2->picture()), pixelPoint(at.pointer));
        if (mark)
            Candidates.add(*mark, near);
    }
    showCandidates(*Picture2, Candidates);
    say({Candidates.source() == pontiva::CandidateSet::Source::Marks ? &Texts::MarcasEncontradas : &Texts::CurvaSeguida,
         {QString::number(Candidates.keptCount())}});
    return true;
}

// A Shift+drag shows the rectangle it draws; the search starts again in it on release.
void Form1::extractionDrag(Qt::MouseButtons buttons, float x, float y)
{
    if (!DragStart)
        return;
    if (!(buttons & Qt::LeftButton)) {
        DragStart.reset();
        return;
    }
    const QPointF to = Picture2->pictureFromLogical(QPointF(x, y));
    if (std::hypot(to.x() - DragStart->x(), to.y() - DragStart->y()) * Picture2->zoom() >= 6) {
        Search->cancel();
        showSearchArea(*Picture2, QRectF(*DragStart, to).normalized());
    }
}

void Form1::extractionRelease(float x, float y)
{
    if (!DragStart)
        return;
    const QPointF from = *DragStart, to = Picture2->pictureFromLogical(QPointF(x, y));
    DragStart.reset();
    if (std::hypot(to.x() - from.x(), to.y() - from.y()) * Picture2->zoom() < 6)
        return; // a click: its search is running
    showSearchArea(*Picture2, {});
    startMarkSearch(from, QRectF(from, to).normalized());
}

// `area` in picture pixels; by default round the three reference points.
void Form1::startMarkSearch(QPointF example, const std::optional<QRectF> &area)
{
    const QImage &picture = Picture2->picture();
    pontiva::PixelRect region;
    if (area) {
        region = {int(std::floor(area->left())), int(std::floor(area->top())), int(std::ceil(area->right())),
                  int(std::ceil(area->bottom()))};
    } else {
        const pontiva::CalibrationState &c = Engine.calibration();
        auto at = [this](float x, float y) { return pixelPoint(Picture2->pictureFromLogical(QPointF(x, y))); };
        region = pontiva::searchRegionOf({at(c.XCanto0, c.YCanto0), at(c.XCanto1, c.YCanto1), at(c.XCanto2, c.YCanto2)},
                                         picture.width(), picture.height());
    }
    discardCandidates();
    Search->findMarks(picture, pixelPoint(example), region);
    Picture2->setCursor(Qt::BusyCursor);
    QTimer::singleShot(500, this, [this] {
        if (!Search->running() || SearchProgress)
            return;
        // Modal, with Cancel, as a long picture load shows.
        SearchProgress = Dialogs.showSearchProgress();
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            if (!SearchProgress || !Search->running()) {
                poll->deleteLater();
                return;
            }
            if (SearchProgress->cancelled())
                Search->cancel();
        });
        poll->start(50);
    });
    updateExtractionActions();
}

void Form1::startTrace(QPointF at)
{
    discardCandidates();
    Search->traceCurve(Picture2->picture(), pixelPoint(at));
    Picture2->setCursor(Qt::BusyCursor);
    updateExtractionActions();
}

void Form1::searchFinished(const PointSearchResult &r)
{
    SearchProgress.reset();
    Picture2->setCursor(Qt::CrossCursor);
    if (r.cancelled) {
        say({&Texts::ProcuraCancelada, {}});
    } else if (r.kind == PointSearchResult::Marks) {
        if (r.marks.outcome == pontiva::MarkSearch::NoExample) {
            say({&Texts::SemMarcaExemplo, {}});
        } else {
            Candidates.show(pontiva::CandidateSet::Source::Marks, r.marks.centres);
            const QString count = QString::number(r.marks.centres.size());
            say({r.marks.outcome == pontiva::MarkSearch::Capped ? &Texts::MarcasNoLimite : &Texts::MarcasEncontradas, {count}});
        }
    } else if (r.curve.outcome != pontiva::CurveTrace::Traced) {
        say({&Texts::SemCurva, {}});
    } else {
        // The points the trace step asks for, along the centre line.
        std::vector<pontiva::PixelPoint> points;
        if (Step.alongX) {
            const pontiva::ReferenceInputs fields = referenceInputs();
            const pontiva::PathValue x = [this, &fields](pontiva::PixelPoint p) {
                const QPointF l = Picture2->logicalFromPicture(QPointF(p.x, p.y));
                return Engine.axisXAt(fields, float(l.x()), float(l.y()));
            };
            points = pontiva::pointsAtSteps(r.curve.path, x, fields.xLog ? 1.0 / Step.perDecade : Step.xStep);
        } else {
            points = pontiva::pointsEvery(r.curve.path, Step.spacing);
        }
        Candidates.show(pontiva::CandidateSet::Source::Curve, points, r.curve.path);
        say({&Texts::CurvaSeguida, {QString::number(points.size())}});
    }
    showCandidates(*Picture2, Candidates);
    updateExtractionActions();
}

void Form1::ProcurarMarcas_Click()
{
    ArmedTool = Armed::FindMarks;
    say({&Texts::CliqueMarcaExemplo, {}});
    updateExtractionActions();
}

void Form1::SeguirCurva_Click()
{
    ArmedTool = Armed::TraceCurve;
    say({&Texts::CliqueCurva, {}});
    updateExtractionActions();
}

void Form1::PassoCurva_Click()
{
    if (const std::optional<TraceStep> step = Dialogs.chooseTraceStep(Step))
        Step = *step;
}

// Every kept candidate in one write and one undo step: marks by data X, a
// curve from its end with the smaller X.
void Form1::GravarEncontrados_Click()
{
    if (!Candidates.active() || Search->running())
        return;
    std::vector<pontiva::GroupPosition> positions;
    for (const pontiva::PixelPoint p : Candidates.kept()) {
        const QPointF l = Picture2->logicalFromPicture(QPointF(p.x, p.y));
        positions.push_back({float(l.x()), float(l.y())});
    }
    const bool marks = Candidates.source() == pontiva::CandidateSet::Source::Marks;
    const pontiva::StepOutcome step =
        Engine.recordGroup(referenceInputs(), positions, decimalSeparator(),
                           marks ? pontiva::GroupOrder::ByDataX : pontiva::GroupOrder::FromSmallerXEnd);
    showStep(step, Texts::FicheiroNaoGrava, Texts::FicheiroNaoGrava);
    // Kept on screen when nothing was stored, so nothing found is lost.
    if (step.kind != pontiva::StepOutcome::Done)
        return;
    Engine.setMarksOfLastStep(markRecorded(step.points));
    discardCandidates();
    say({&Texts::EncontradosGravados, {QString::number(step.points.size())}});
}

void Form1::DescartarEncontrados_Click()
{
    if (Search->running()) {
        Search->cancel();
        return;
    }
    const bool shown = Candidates.active();
    discardCandidates();
    if (shown)
        say({&Texts::PontosDescartados, {}});
}

void Form1::discardCandidates()
{
    ArmedTool = Armed::None;
    if (Search)
        Search->cancel();
    Candidates.clear();
    if (Picture2) {
        Picture2->clearLayer(DrawingLayer::Candidates);
        Picture2->clearLayer(DrawingLayer::Trace);
    }
    if (ProcurarMarcas && Search)
        updateExtractionActions();
}
