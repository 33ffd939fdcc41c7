// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The data file of recorded points: one line per point, on disk before it counts.
#pragma once

#include <string>
#include <string_view>

namespace pontiva {

// One open data file at a time. Every line is written whole, flushed and
// synced to storage before appendLine returns true; a line that could not be
// written completely is cut off again, so the file never holds half a point.
class DataFile
{
public:
    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;

    // Opens for a new data set after whatever lines the file already holds,
    // creating it when missing. False when it cannot be opened for writing.
    bool openForAppend(const std::string &path);
    // Creates the file empty, replacing one of that name (the user confirmed).
    bool createEmpty(const std::string &path);
    // Writes `x`, `separator`, `y` and CR LF. False on any failure: a full
    // disk, a file that was deleted or has become unwritable.
    bool appendLine(std::string_view x, std::string_view separator, std::string_view y);
    void close();
    bool isOpen() const { return Fd >= 0; }
    // errno of the last failure, for the message.
    int lastError() const { return LastError; }

private:
    bool open(const std::string &path, int flags);

    int Fd = -1;
    int LastError = 0;
    std::string Line; // reused so a click allocates nothing
};

} // namespace pontiva
