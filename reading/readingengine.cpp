// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The use cases of reading a chart without widgets: placing reference points, the readout, recording and undo.
#include "reading/readingengine.h"

#include "calibration/numberparsing.h"
#include "reading/numberformat.h"

#include <algorithm>
#include <cmath>

namespace pontiva {

namespace {

CalibrationInputs inputsOf(const ReferenceInputs &fields, const CalibrationState &points)
{
    CalibrationInputs in;
    in.x0 = parseNumber(fields.x0);
    in.x1 = parseNumber(fields.x1);
    in.y0 = parseNumber(fields.y0);
    in.y2 = parseNumber(fields.y2);
    in.xLog = fields.xLog;
    in.yLog = fields.yLog;
    in.XCanto0 = points.XCanto0;
    in.YCanto0 = points.YCanto0;
    in.XCanto1 = points.XCanto1;
    in.YCanto1 = points.YCanto1;
    in.XCanto2 = points.XCanto2;
    in.YCanto2 = points.YCanto2;
    return in;
}

std::optional<std::string> formatted(const std::optional<double> &value, char decimalSeparator)
{
    if (!value)
        return std::nullopt;
    return formatReading(*value, decimalSeparator);
}

// The separator goes between the two texts of a line: a TAB keeps them
// apart whatever they hold.
constexpr std::string_view Separator = "\t";

} // namespace

PositionReading readPosition(const ReferenceInputs &fields, const CalibrationState &points, float x, float y)
{
    const CalibrationInputs in = inputsOf(fields, points);
    PositionReading r;
    r.transform = computeTransform(in);
    // The fields were read at this very moment: x0 and y0 as the mapping wants them.
    r.data = mapToData(r.transform, x, y, in.XCanto0, in.YCanto0, in.x0, in.y0, in.xLog, in.yLog);
    return r;
}

// ---- Checking the calibration ------------------------------------------------

std::vector<GridLine> ReadingEngine::grid(const ReferenceInputs &fields) const
{
    if (!Points.allDefined())
        return {};
    const CalibrationInputs in = inputsOf(fields, Points);
    return calibrationGrid(in, computeTransform(in));
}

std::optional<HalfPixelWorth> ReadingEngine::halfPixel(const ReferenceInputs &fields) const
{
    if (!Points.allDefined() || PictureWidth <= 0 || PictureHeight <= 0)
        return std::nullopt;
    const CalibrationInputs in = inputsOf(fields, Points);
    return halfPixelWorth(in, computeTransform(in), 100.0 / PictureWidth, 100.0 / PictureHeight);
}

// ---- Calibration -------------------------------------------------------------

ReadingEngine::Placement ReadingEngine::placementOf(int point) const
{
    switch (point) {
    case 0: return {0, Points.XCanto0, Points.YCanto0, Points.CantoDefinido0};
    case 1: return {1, Points.XCanto1, Points.YCanto1, Points.CantoDefinido1};
    default: return {2, Points.XCanto2, Points.YCanto2, Points.CantoDefinido2};
    }
}

void ReadingEngine::apply(const Placement &p)
{
    Points.place(p.point, p.x, p.y);
    if (!p.defined)
        Points.unclick(p.point);
}

bool ReadingEngine::place(int point, float x, float y)
{
    if (point < 0 || point > 2)
        return Points.allDefined();
    PlacementsDone.push_back(placementOf(point));
    PlacementsUndone.clear();
    Points.place(point, x, y);
    return Points.allDefined();
}

int ReadingEngine::undoPlacement()
{
    if (PlacementsDone.empty())
        return -1;
    const Placement before = PlacementsDone.back();
    PlacementsDone.pop_back();
    PlacementsUndone.push_back(placementOf(before.point));
    apply(before);
    return before.point;
}

int ReadingEngine::redoPlacement()
{
    if (PlacementsUndone.empty())
        return -1;
    const Placement again = PlacementsUndone.back();
    PlacementsUndone.pop_back();
    PlacementsDone.push_back(placementOf(again.point));
    apply(again);
    return again.point;
}

void ReadingEngine::resetCalibration()
{
    Points.reset();
    PlacementsDone.clear();
    PlacementsUndone.clear();
}

void ReadingEngine::restoreCalibration(const CalibrationState &points)
{
    for (int point = 0; point < 3; ++point) {
        const float x = point == 0 ? points.XCanto0 : point == 1 ? points.XCanto1 : points.XCanto2;
        const float y = point == 0 ? points.YCanto0 : point == 1 ? points.YCanto1 : points.YCanto2;
        if (points.isDefined(point))
            place(point, x, y);
    }
}

// ---- Readout -------------------------------------------------------------------

MoveOutcome ReadingEngine::move(const ReferenceInputs &fields, float x, float y, bool reading, char decimalSeparator)
{
    MoveOutcome m;
    const PositionReading r = readPosition(fields, Points, x, y);
    // Equal values on an axis: its point counts as not placed again, and a
    // user who was reading goes back to place it anew. After an X failure
    // the window is calibrating already, so a Y failure does not send back.
    if (r.transform.xAxis == AxisStatus::EqualValues) {
        m.xAxisFailed = true;
        Points.unclick(1);
        if (reading)
            m.sentBackTo = 1;
    }
    if (r.transform.yAxis == AxisStatus::EqualValues) {
        m.yAxisFailed = true;
        Points.unclick(2);
        if (reading && !m.sentBackTo)
            m.sentBackTo = 2;
    }
    if (!reading || m.sentBackTo)
        return m;
    m.readoutShown = true;
    m.x = formatted(r.data.x, decimalSeparator);
    m.y = formatted(r.data.y, decimalSeparator);
    if (m.x && m.y) {
        Readout = ReadoutState::Value;
        ShownX = *m.x;
        ShownY = *m.y;
    } else {
        Readout = r.transform.collinear ? ReadoutState::Collinear : ReadoutState::NoValue;
    }
    return m;
}

std::optional<std::pair<std::string, std::string>> ReadingEngine::textsAt(const ReferenceInputs &fields, float x,
                                                                        float y, char decimalSeparator) const
{
    const PositionReading r = readPosition(fields, Points, x, y);
    if (!r.data.x || !r.data.y)
        return std::nullopt;
    return std::make_pair(formatReading(*r.data.x, decimalSeparator), formatReading(*r.data.y, decimalSeparator));
}

// ---- Data set ------------------------------------------------------------------

bool ReadingEngine::startDataSet(const std::string &path)
{
    return Recorded.startAfterExisting(path);
}

bool ReadingEngine::startEmptyDataSet(const std::string &path)
{
    return Recorded.startEmpty(path);
}

void ReadingEngine::closeDataFile()
{
    Recorded.close();
}

void ReadingEngine::setPictureSize(int width, int height)
{
    PictureWidth = width;
    PictureHeight = height;
}

// Within half a picture pixel of a recorded point: the same mark found again.
bool ReadingEngine::nearRecordedMark(float x, float y) const
{
    if (PictureWidth <= 0 || PictureHeight <= 0)
        return false;
    return Recorded.any([&](const RecordedPoint &p) {
        const double dx = double(p.x - x) / 100 * PictureWidth;
        const double dy = double(p.y - y) / 100 * PictureHeight;
        return dx * dx + dy * dy <= 0.25;
    });
}

StepOutcome ReadingEngine::record(float x, float y, bool snapped)
{
    StepOutcome out;
    out.count = count();
    auto refuse = [&out](Refusal why) {
        out.kind = StepOutcome::Refused;
        out.refusal = why;
        return out;
    };
    switch (Readout) {
    case ReadoutState::NeverShown: return refuse(Refusal::NoReadoutYet);
    case ReadoutState::NoValue: return refuse(Refusal::NoValue);
    case ReadoutState::Collinear: return refuse(Refusal::Collinear);
    case ReadoutState::Value: break;
    }
    if (snapped && nearRecordedMark(x, y))
        return refuse(Refusal::AlreadyRecorded);
    // The texts exactly as the readout shows them, even if no move refreshed them.
    RecordedPoint point{dataLine(ShownX, Separator, ShownY), x, y, 0};
    if (!Recorded.record(point)) {
        out.kind = StepOutcome::FileFailed;
        return out;
    }
    out.kind = StepOutcome::Done;
    out.count = count();
    out.points.push_back(std::move(point));
    return out;
}

std::optional<double> ReadingEngine::axisXAt(const ReferenceInputs &fields, float x, float y) const
{
    const std::optional<double> value = readPosition(fields, Points, x, y).data.x;
    if (!value || !fields.xLog)
        return value;
    return *value > 0 ? std::optional<double>(std::log10(*value)) : std::nullopt;
}

StepOutcome ReadingEngine::recordGroup(const ReferenceInputs &fields, std::vector<GroupPosition> positions,
                                       char decimalSeparator, GroupOrder order)
{
    StepOutcome out;
    if (order == GroupOrder::ByDataX) {
        // Positions without a value refuse the group below; they sort last.
        auto key = [&](const GroupPosition &p) {
            const DataReading d = readPosition(fields, Points, p.x, p.y).data;
            return std::pair(d.x.value_or(HUGE_VAL), d.y.value_or(HUGE_VAL));
        };
        std::stable_sort(positions.begin(), positions.end(),
                         [&](const GroupPosition &a, const GroupPosition &b) { return key(a) < key(b); });
    } else if (order == GroupOrder::FromSmallerXEnd && positions.size() > 1) {
        const auto first = axisXAt(fields, positions.front().x, positions.front().y);
        const auto last = axisXAt(fields, positions.back().x, positions.back().y);
        if (first && last && *last < *first)
            std::reverse(positions.begin(), positions.end());
    }
    out.count = count();
    std::vector<RecordedPoint> points;
    points.reserve(positions.size());
    for (const GroupPosition &p : positions) {
        const auto texts = textsAt(fields, p.x, p.y, decimalSeparator);
        if (!texts) {
            out.kind = StepOutcome::Refused;
            out.refusal = readPosition(fields, Points, p.x, p.y).transform.collinear ? Refusal::Collinear
                                                                                    : Refusal::NoValue;
            return out;
        }
        points.push_back({dataLine(texts->first, Separator, texts->second), p.x, p.y, 0});
    }
    if (points.empty())
        return out;
    if (!Recorded.recordGroup(points)) {
        out.kind = StepOutcome::FileFailed;
        return out;
    }
    out.kind = StepOutcome::Done;
    out.count = count();
    out.points = std::move(points);
    return out;
}

StepOutcome ReadingEngine::undo()
{
    StepOutcome out;
    RecordedPoints::Step step = Recorded.undo();
    switch (step.outcome) {
    case RecordedPoints::Outcome::Nothing: break;
    case RecordedPoints::Outcome::FileChanged: out.kind = StepOutcome::FileChanged; break;
    case RecordedPoints::Outcome::Failed: out.kind = StepOutcome::FileFailed; break;
    case RecordedPoints::Outcome::Done:
        out.kind = StepOutcome::Done;
        break;
    }
    out.count = count();
    out.points = std::move(step.points);
    return out;
}

StepOutcome ReadingEngine::redo()
{
    StepOutcome out;
    RecordedPoints::Step step = Recorded.redo();
    switch (step.outcome) {
    case RecordedPoints::Outcome::Nothing: break;
    case RecordedPoints::Outcome::FileChanged:
    case RecordedPoints::Outcome::Failed: out.kind = StepOutcome::FileFailed; break;
    case RecordedPoints::Outcome::Done:
        out.kind = StepOutcome::Done;
        break;
    }
    out.count = count();
    out.points = std::move(step.points);
    return out;
}

} // namespace pontiva
