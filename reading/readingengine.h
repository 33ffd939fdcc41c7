// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The use cases of reading a chart without widgets: placing reference points, the readout, recording and undo.
#pragma once

#include "calibration/calibrationgrid.h"
#include "calibration/calibrationworkflow.h"
#include "calibration/transform.h"
#include "reading/recordedpoints.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pontiva {

// What the four reference fields and the two log boxes hold at the moment of
// an event; they are read afresh every time, never kept.
struct ReferenceInputs {
    std::string x0, x1, y0, y2;
    bool xLog = false, yLog = false;
};

// The transform and the reading of one position, from the typed texts and the
// clicked reference points: the whole pipeline a pointer move runs.
struct PositionReading {
    Transform transform;
    DataReading data;
};
PositionReading readPosition(const ReferenceInputs &fields, const CalibrationState &points, float x, float y);

// What the two readout captions hold, and so what a click may store.
enum class ReadoutState { NeverShown, Value, NoValue, Collinear };

// A pointer move: the axes that failed (their point is no longer placed), and
// in reading mode the two captions. `sentBackTo` is the point the user must
// place again when a failure ends data reading (1 or 2; 0: none).
struct MoveOutcome {
    bool xAxisFailed = false, yAxisFailed = false;
    int sentBackTo = 0;
    bool readoutShown = false;
    std::optional<std::string> x, y; // formatted; nothing: no value
};

// Why a recording stores nothing.
enum class Refusal {
    None,
    NoReadoutYet,   // the readout has never shown values
    NoValue,        // the readout shows "no value"
    Collinear,      // the reference points lie on one line
    AlreadyRecorded // a snapped click on a mark recorded in this data set
};

// What a recording, an undo or a redo did.
struct StepOutcome {
    enum Kind {
        Nothing,     // nothing to undo or redo
        Done,        // stored, taken back or put back, on storage
        Refused,     // not attempted: see `refusal`
        FileFailed,  // the data file could not be written or cut; nothing changed
        FileChanged, // undo: the file no longer ends with our lines; nothing cut
    } kind = Nothing;
    Refusal refusal = Refusal::None;
    std::int64_t count = 0;             // points in the data set afterwards
    std::vector<RecordedPoint> points;  // those stored, taken back or put back
};

// One picture position to record in a group, in logical picture coordinates.
struct GroupPosition {
    float x = 0, y = 0;
};

// The order a group's lines go to the file in.
enum class GroupOrder {
    AsGiven,
    ByDataX,         // increasing data X, ties by increasing data Y: found marks
    FromSmallerXEnd, // as given, or reversed so the end with the smaller X comes first: a traced curve
};

// Owns the calibration (reference points and their history), the data file
// with the recorded points and their history, the count and the readout.
// The window passes what its controls hold on every call and shows what
// comes back; it decides nothing itself.
class ReadingEngine
{
public:
    // --- Calibration ---------------------------------------------------
    const CalibrationState &calibration() const { return Points; }
    // Places point 0, 1 or 2; true when all three are now placed.
    bool place(int point, float x, float y);
    // Takes back the latest placement (the point goes back where it was, or
    // back to not placed) and puts it back again; the point concerned, or -1.
    int undoPlacement();
    int redoPlacement();
    bool canUndoPlacement() const { return !PlacementsDone.empty(); }
    bool canRedoPlacement() const { return !PlacementsUndone.empty(); }
    // Every point not placed and the placement history gone; positions stay
    // as they were.
    void resetCalibration();
    // Puts a whole calibration back (a remembered one).
    void restoreCalibration(const CalibrationState &points);

    // --- Readout --------------------------------------------------------
    // A pointer move at logical picture position (x, y). In calibration mode
    // only the axis checks run.
    MoveOutcome move(const ReferenceInputs &fields, float x, float y, bool reading, char decimalSeparator);
    ReadoutState readout() const { return Readout; }
    // The two texts a click at (x, y) would store, without changing the
    // readout: nothing where there is no value.
    std::optional<std::pair<std::string, std::string>> textsAt(const ReferenceInputs &fields, float x, float y,
                                                               char decimalSeparator) const;

    // --- Checking the calibration ----------------------------------------
    // The round-value grid over the picture, once the three points are
    // placed: nothing before, or where the calibration gives no value.
    std::vector<GridLine> grid(const ReferenceInputs &fields) const;
    // What half a picture pixel is worth, for the picture's size.
    std::optional<HalfPixelWorth> halfPixel(const ReferenceInputs &fields) const;

    // --- Data set -------------------------------------------------------
    // A new data set after the lines the file holds, or in a file created
    // empty; the count goes to 0. False: the file cannot be used.
    bool startDataSet(const std::string &path);
    bool startEmptyDataSet(const std::string &path);
    void closeDataFile();
    bool dataFileUsable() const { return Recorded.usable(); }
    std::int64_t count() const { return std::int64_t(Recorded.pointCount()); }

    // The size of the picture in pixels, to tell distances on it.
    void setPictureSize(int width, int height);

    // Stores the readout as it stands (what the captions show), for a click
    // at (x, y). A `snapped` click onto a recorded mark is refused.
    StepOutcome record(float x, float y, bool snapped = false);
    // Stores every position, read as a click there would be, in one write,
    // one sync and one undo step. Refused as a whole if any has no value.
    StepOutcome recordGroup(const ReferenceInputs &fields, std::vector<GroupPosition> positions,
                            char decimalSeparator, GroupOrder order = GroupOrder::AsGiven);
    // Data X at a position (its logarithm on a logarithmic axis: what a step
    // along the axis measures); nothing where there is no value.
    std::optional<double> axisXAt(const ReferenceInputs &fields, float x, float y) const;
    StepOutcome undo();
    StepOutcome redo();
    bool canUndo() const { return Recorded.canUndo(); }
    bool canRedo() const { return Recorded.canRedo(); }
    // The marks the window drew for the points of the latest step.
    void setMarksOfLastStep(const std::vector<int> &marks) { Recorded.setMarksOfLast(marks); }
    // The points of the data set as they stand, oldest first.
    std::vector<RecordedPoint> points() const { return Recorded.points(); }

    RecordedPoints &recordedPoints() { return Recorded; }

private:
    struct Placement {
        int point;
        float x, y;
        bool defined;
    };
    Placement placementOf(int point) const;
    void apply(const Placement &p);
    bool nearRecordedMark(float x, float y) const;

    CalibrationState Points;
    std::vector<Placement> PlacementsDone;   // what each placement replaced
    std::vector<Placement> PlacementsUndone; // what each undo replaced
    RecordedPoints Recorded;
    ReadoutState Readout = ReadoutState::NeverShown;
    std::string ShownX, ShownY;
    int PictureWidth = 0, PictureHeight = 0;
};

} // namespace pontiva
