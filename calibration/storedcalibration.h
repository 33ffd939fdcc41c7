// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Calibrations remembered per picture content, one small file each, so a
// second look at the same figure needs no new calibration.
#pragma once

#include "calibration/calibrationworkflow.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pontiva {

// A fast 64-bit hash of a picture's bytes: it names the stored calibration.
// Not for security: a collision can only offer a calibration, never apply one.
class ContentHash
{
public:
    void add(const void *data, std::size_t size);
    std::uint64_t value() const;

private:
    std::uint64_t State = 0x243F6A8885A308D3ull;
    std::uint64_t Length = 0;
    std::uint64_t Pending = 0; // bytes not yet a whole word, low first
    int PendingBytes = 0;
};

// Everything the user typed, ticked and clicked for one picture.
struct StoredCalibration {
    int width = 0, height = 0; // the picture's, in pixels
    std::string x0, x1, y0, y2;
    bool xLog = false, yLog = false;
    CalibrationState points; // all three placed
};

std::string serializeCalibration(const StoredCalibration &c);
// Nothing for anything that is not a whole, sound record.
std::optional<StoredCalibration> parseCalibration(std::string_view text);

// A folder of stored calibrations, at most `keep` of them (the oldest go).
// Every failure (no folder, a full disk, a damaged file) is quiet: this is a
// convenience that must never stop a load or a reading.
class CalibrationMemory
{
public:
    explicit CalibrationMemory(std::filesystem::path folder, std::size_t keep = 1000);
    bool store(std::uint64_t content, const StoredCalibration &c) const;
    // Only one stored for a picture of that size.
    std::optional<StoredCalibration> find(std::uint64_t content, int width, int height) const;
    std::filesystem::path fileFor(std::uint64_t content) const;

private:
    void prune() const;

    std::filesystem::path Folder;
    std::size_t Keep;
};

} // namespace pontiva
