// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A data set written out as CSV beside the data file, which it never touches.
#pragma once

#include "reading/recordedpoints.h"

#include <string>
#include <string_view>
#include <vector>

namespace pontiva {

// RFC 4180: a header "x,y", then each point's values exactly as recorded
// but with "." as the decimal point, LF line ends.
std::string csvOfDataSet(const std::vector<RecordedPoint> &points);

// Writes the whole text to a new file beside `path`, syncs it and renames it
// over `path`: an existing file is either replaced whole or left as it was.
// Empty on success, else what failed (the system's words).
std::string replaceFileWhole(const std::string &path, std::string_view content);

} // namespace pontiva
