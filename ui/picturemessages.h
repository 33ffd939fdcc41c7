// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The message line's words for a picture that did not open.
#pragma once

#include "language/languagetexts.h"
#include "picture/picturedecoder.h"

#include <QString>
#include <optional>

// One line naming the file and the reason; nothing for a load the user cancelled.
std::optional<Message> pictureProblemMessage(const DecodedPicture &outcome, const QString &name);
