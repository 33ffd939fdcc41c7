// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a long picture load shows while it runs.
#pragma once

// A modal indication of a long picture load, with Cancel; it stays up until
// the object is destroyed.
class LoadProgress
{
public:
    virtual ~LoadProgress() = default;
    virtual void setProgress(double fraction) = 0; // 0 to 1
    virtual bool cancelled() const = 0;
};
