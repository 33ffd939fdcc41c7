// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The points of the current data set as they stand in the data file, with undo and redo.
#include "reading/recordedpoints.h"

namespace pontiva {

void RecordedPoints::forgetHistory()
{
    Done.clear();
    Undone.clear();
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

bool RecordedPoints::record(RecordedPoint point)
{
    if (!Usable)
        return false;
    if (!File.appendRecord(point.line)) {
        Usable = false;
        return false;
    }
    Done.push_back(std::move(point));
    Undone.clear();
    return true;
}

RecordedPoints::Step RecordedPoints::undo()
{
    if (Done.empty())
        return {};
    switch (File.cutLastRecord(Done.back().line)) {
    case DataFile::CutResult::Cut:
        break;
    case DataFile::CutResult::FileChanged:
        return {Outcome::FileChanged, Done.back()};
    case DataFile::CutResult::Failed:
        return {Outcome::Failed, Done.back()};
    }
    Undone.push_back(std::move(Done.back()));
    Done.pop_back();
    return {Outcome::Done, Undone.back()};
}

RecordedPoints::Step RecordedPoints::redo()
{
    if (Undone.empty())
        return {};
    if (!Usable || !File.appendRecord(Undone.back().line)) {
        Usable = false;
        return {Outcome::Failed, Undone.back()};
    }
    Done.push_back(std::move(Undone.back()));
    Undone.pop_back();
    return {Outcome::Done, Done.back()};
}

void RecordedPoints::setMarkOfLast(int mark)
{
    if (!Done.empty())
        Done.back().mark = mark;
}

} // namespace pontiva
