// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration dialogue without widgets: reference points, flags and modes.
#include "calibration/calibrationworkflow.h"

namespace pontiva {

void CalibrationState::place(int point, float x, float y)
{
    switch (point) {
    case 0: XCanto0 = x; YCanto0 = y; CantoDefinido0 = true; break;
    case 1: XCanto1 = x; YCanto1 = y; CantoDefinido1 = true; break;
    case 2: XCanto2 = x; YCanto2 = y; CantoDefinido2 = true; break;
    default: break;
    }
}

void CalibrationState::reset()
{
    CantoDefinido0 = CantoDefinido1 = CantoDefinido2 = false;
}

void CalibrationState::unclick(int point)
{
    switch (point) {
    case 0: CantoDefinido0 = false; break;
    case 1: CantoDefinido1 = false; break;
    case 2: CantoDefinido2 = false; break;
    default: break;
    }
}

bool CalibrationState::isDefined(int point) const
{
    switch (point) {
    case 0: return CantoDefinido0;
    case 1: return CantoDefinido1;
    case 2: return CantoDefinido2;
    default: return false;
    }
}

EditableFields editableFieldsFor(int selectedPoint)
{
    EditableFields f;
    f.x0 = f.y0 = selectedPoint == 0;
    f.x1 = selectedPoint == 1;
    f.y2 = selectedPoint == 2;
    return f;
}

ModeGroups groupsFor(Mode mode)
{
    ModeGroups g;
    g.calibration = g.helpSketch = mode == Mode::Calibration;
    g.reading = g.storage = g.readoutEnabled = mode == Mode::Reading;
    return g;
}

} // namespace pontiva
