// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The data file of recorded points: one line per point, on disk before it counts.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pontiva {

// One line of the data file: `x`, `separator`, `y`, CR LF.
std::string dataLine(std::string_view x, std::string_view separator, std::string_view y);

// The two calls that make a change durable or take a line back; tests put
// their own in to watch the order of events or to make them fail.
struct StorageCalls {
    std::function<int(int fd)> sync;
    std::function<int(int fd, off_t length)> truncate;
};
StorageCalls systemStorageCalls();

// One open data file at a time. Every line is written whole, flushed and
// synced to storage before appendLine returns true; a line that could not be
// written completely is cut off again, so the file never holds half a point.
// Only a regular file is used, and only while its path still names it.
class DataFile
{
public:
    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;

    // Opens for a new data set after whatever lines the file already holds,
    // creating it when missing. False when it cannot be opened for writing
    // or is not a regular file (a FIFO, a device): opening never blocks.
    bool openForAppend(const std::string &path);
    // Creates the file empty, replacing one of that name (the user confirmed).
    bool createEmpty(const std::string &path);
    // Writes `x`, `separator`, `y` and CR LF. False on any failure: a full
    // disk, a file that was deleted, renamed or has become unwritable.
    bool appendLine(std::string_view x, std::string_view separator, std::string_view y);
    // Writes `line` exactly as given (it carries its own CR LF). On a file
    // that ended without a line end, a CR LF goes first; undo never takes it.
    bool appendRecord(std::string_view line);

    enum class CutResult {
        Cut,         // the file is shorter by `line`, and that is on storage
        FileChanged, // the file does not end with this program's `line`: nothing cut
        Failed,      // shortening or syncing failed: the line is still there
    };
    // Takes back the last line this object wrote, if the file still ends
    // with exactly it where it was written.
    CutResult cutLastRecord(std::string_view line);

    void close();
    bool isOpen() const { return Fd >= 0; }

    void setStorageCalls(StorageCalls calls) { Calls = std::move(calls); }

private:
    bool open(const std::string &path, int flags);
    bool stillNamedByPath() const;

    int Fd = -1;
    std::string Path;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t End = -1; // where this program's last write ended; -1: nothing written
    bool LineEndOwed = false; // the file ends inside a line someone else wrote
    StorageCalls Calls = systemStorageCalls();
};

} // namespace pontiva
