// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a chart picture from a file, with guards against absurd sizes.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

// The decoded size a picture may take: what the machine has free, less a
// margin, so that a file whose header claims a gigantic size is refused
// before any pixel is allocated.
std::int64_t pictureMemoryBudget();

// The picture in a format that paints fast, or nothing when the file cannot
// be read or decoded, or would not fit in `budgetBytes`.
std::optional<QImage> loadPicture(const QString &path, std::int64_t budgetBytes = pictureMemoryBudget());
