// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a picture off the user-interface thread, with feedback when it takes long.
#pragma once

#include <QImage>
#include <memory>
#include <optional>

class QIODevice;
class UserDialogs;

// Decodes on a worker thread while the window keeps repainting. Input is held
// back meanwhile; past half a second a modal progress with Cancel takes it.
// Cancel, a refusal or a failure give nothing, and the caller changes nothing.
// A load asked for while another runs (a drop, say) gives nothing at once.
std::optional<QImage> decodeShowingProgress(std::unique_ptr<QIODevice> device, UserDialogs &dialogs);
