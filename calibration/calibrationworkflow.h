// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration dialogue without widgets: reference points, flags and modes.
#pragma once

namespace pontiva {

// The three clicked reference points in logical picture coordinates, and
// whether each has been clicked since the last reset.
struct CalibrationState {
    float XCanto0 = 0, XCanto1 = 0, XCanto2 = 0;
    float YCanto0 = 0, YCanto1 = 0, YCanto2 = 0;
    bool CantoDefinido0 = false, CantoDefinido1 = false, CantoDefinido2 = false;

    // Stores the click for point 0, 1 or 2 and marks it clicked; a second
    // click simply moves it.
    void place(int point, float x, float y);
    // Clicked flags drop; the positions stay, as the user left them.
    void reset();
    void unclick(int point);
    bool isDefined(int point) const;
    bool allDefined() const { return CantoDefinido0 && CantoDefinido1 && CantoDefinido2; }
};

// Which typed fields the user may edit: only those of the selected point
// (-1: none selected, nothing editable).
struct EditableFields {
    bool x0 = false, y0 = false, x1 = false, y2 = false;
};
EditableFields editableFieldsFor(int selectedPoint);

enum class Mode { Calibration, Reading };

// What each mode shows: the reference-point table and help sketch while
// calibrating, the axis types, readout and data file while reading.
struct ModeGroups {
    bool calibration = false; // Frame_Calibracao
    bool helpSketch = false;  // Picture_Desenho
    bool reading = false;     // Frame_Leitura
    bool storage = false;     // Frame_Gravacao
    bool readoutEnabled = false;
};
ModeGroups groupsFor(Mode mode);

} // namespace pontiva
