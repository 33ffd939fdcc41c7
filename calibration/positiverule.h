// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A log axis needs positive reference values.
#pragma once

#include <string_view>

namespace pontiva {

// True when the box is ticked (value exactly 1) and either field, parsed as a
// typed number, is 0 or less. Both fields are parsed every time.
bool breaksPositiveRule(int boxValue, std::string_view first, std::string_view second);

} // namespace pontiva
