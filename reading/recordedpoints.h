// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The points of the current data set as they stand in the data file, with undo and redo.
#pragma once

#include "reading/datafile.h"

#include <string>
#include <vector>

namespace pontiva {

// One recorded point: the exact bytes of its line and where it was clicked
// (logical picture coordinates). `mark` is whatever the window uses to find
// the dot it drew for the point again.
struct RecordedPoint {
    std::string line;
    float x = 0, y = 0;
    int mark = 0;
};

// Owns the data file. A step is one click or one group of points written
// together; undo cuts the most recent step of the current data set off the
// end of the file, redo appends the same bytes again; both are on storage
// before they return success, like a recording. A new data set forgets both
// histories, so lines of earlier sets are never touched.
class RecordedPoints
{
public:
    // A new data set after the lines the file holds. False: not usable.
    bool startAfterExisting(const std::string &path);
    // A new data set in a file created empty. False: not usable.
    bool startEmpty(const std::string &path);
    void close();

    // False once a write failed: clicks are refused until a file is chosen
    // again, even if a later write might succeed.
    bool usable() const { return Usable; }

    // Appends the point's line; on success it can be undone and nothing can
    // be redone any more.
    bool record(RecordedPoint point) { return recordGroup({std::move(point)}); }
    // Appends every line in one write and one sync: one step.
    bool recordGroup(std::vector<RecordedPoint> points);

    enum class Outcome { Nothing, Done, FileChanged, Failed };
    struct Step {
        Outcome outcome = Outcome::Nothing;
        std::vector<RecordedPoint> points; // taken back or put back
    };
    Step undo();
    // After a successful recording or redo the caller may give the points
    // of that step their new marks, in order.
    Step redo();
    void setMarksOfLast(const std::vector<int> &marks);

    bool canUndo() const { return !Done.empty(); }
    bool canRedo() const { return !Undone.empty(); }
    // Every point of the data set as it stands, oldest first.
    std::vector<RecordedPoint> points() const;
    std::size_t pointCount() const { return Points; }
    // True when `test` holds for some point of the data set (no copy made).
    template<class Test>
    bool any(const Test &test) const
    {
        for (const auto &step : Done)
            for (const RecordedPoint &p : step)
                if (test(p))
                    return true;
        return false;
    }

    DataFile &file() { return File; }

private:
    void forgetHistory();

    DataFile File;
    bool Usable = false;
    std::vector<std::vector<RecordedPoint>> Done;   // oldest first
    std::vector<std::vector<RecordedPoint>> Undone; // most recently undone last
    std::size_t Points = 0;
};

} // namespace pontiva
