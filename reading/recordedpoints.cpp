// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The points of the current data set as they stand in the data file, with undo and redo.
#include "reading/recordedpoints.h"

namespace pontiva {

namespace {

std::string bytesOf(const std::vector<RecordedPoint> &step)
{
    std::string bytes;
    for (const RecordedPoint &p : step)
        bytes += p.line;
    return bytes;
}

} // namespace

void RecordedPoints::forgetHistory()
{
    Done.clear();
    Undone.clear();
    Points = 0;
}

bool RecordedPoints::startAfterExisting(const std::string &path)
{
    forgetHistory();
    Usable = File.openForAppend(path);
    return Usable;
}

bool RecordedPoints::startEmpty(const std::string &path)
{
    forgetHistory();
    Usable = File.createEmpty(path);
    return Usable;
}

void RecordedPoints::close()
{
    forgetHistory();
    File.close();
    Usable = false;
}

bool RecordedPoints::recordGroup(std::vector<RecordedPoint> points)
{
    if (!Usable || points.empty())
        return false;
    if (!File.appendRecord(bytesOf(points))) {
        Usable = false;
        return false;
    }
    Points += points.size();
    Done.push_back(std::move(points));
    Undone.clear();
    return true;
}

RecordedPoints::Step RecordedPoints::undo()
{
    if (Done.empty())
        return {};
    switch (File.cutLastRecord(bytesOf(Done.back()))) {
    case DataFile::CutResult::Cut:
        break;
    case DataFile::CutResult::FileChanged:
        return {Outcome::FileChanged, Done.back()};
    case DataFile::CutResult::Failed:
        return {Outcome::Failed, Done.back()};
    }
    Points -= Done.back().size();
    Undone.push_back(std::move(Done.back()));
    Done.pop_back();
    return {Outcome::Done, Undone.back()};
}

RecordedPoints::Step RecordedPoints::redo()
{
    if (Undone.empty())
        return {};
    if (!Usable || !File.appendRecord(bytesOf(Undone.back()))) {
        Usable = false;
        return {Outcome::Failed, Undone.back()};
    }
    Points += Undone.back().size();
    Done.push_back(std::move(Undone.back()));
    Undone.pop_back();
    return {Outcome::Done, Done.back()};
}

void RecordedPoints::setMarksOfLast(const std::vector<int> &marks)
{
    if (Done.empty())
        return;
    std::vector<RecordedPoint> &last = Done.back();
    for (std::size_t i = 0; i < last.size() && i < marks.size(); ++i)
        last[i].mark = marks[i];
}

std::vector<RecordedPoint> RecordedPoints::points() const
{
    std::vector<RecordedPoint> all;
    all.reserve(Points);
    for (const auto &step : Done)
        all.insert(all.end(), step.begin(), step.end());
    return all;
}

} // namespace pontiva
