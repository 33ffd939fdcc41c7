// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal interaction of the main window, behind one interface.
#pragma once

#include "picture/loadprogress.h"

#include <QString>
#include <memory>
#include <optional>

// A filter list written "Display|pattern|Display|pattern", as the window
// states it; `selectedFilter` counts from 1.
struct FileDialogRequest {
    QString title; // empty: the dialog's own title
    QString filter;
    int selectedFilter = 1;
    QString folder; // where it starts; empty: the home folder
    QString name;   // the file name offered at first (a save dialog's); empty: none
};

// Which page of a PDF document, at what resolution.
struct PdfPageChoice {
    int page = 0; // from 0
    int dpi = 300;
};

// Which points a traced curve gives: one every `spacing` picture pixels
// along it, or where data X passes each multiple of `xStep` (on a
// logarithmic X axis, `perDecade` evenly in its logarithm).
struct TraceStep {
    bool alongX = false;
    double spacing = 10;
    double xStep = 1;
    int perDecade = 10;
};

// The window is given one of these: the real one opens Qt's dialogs, tests
// pass a scripted one that answers without a person.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;
    // An existing file in an existing folder; nothing on cancel.
    virtual std::optional<QString> openPictureFile(const FileDialogRequest &request) = 0;
    // Asks before returning an existing file; the folder must exist; nothing on cancel.
    virtual std::optional<QString> saveDataFile(const FileDialogRequest &request) = 0;
    // The same for a file that receives an export; it keeps its own last folder.
    virtual std::optional<QString> saveExportFile(const FileDialogRequest &request) = 0;
    // The page (of `pageCount`) and resolution to render; nothing on cancel.
    virtual std::optional<PdfPageChoice> choosePdfPage(int pageCount, int dpi) = 0;
    // OK only, no icon, under the application title.
    virtual void message(const QString &text) = 0;
    // Yes/No with its own title, Yes the default; true for Yes.
    virtual bool question(const QString &text, const QString &title) = 0;
    virtual void about() = 0;
    // Shown once a picture load has taken long enough to need it.
    virtual std::unique_ptr<LoadProgress> showLoadProgress() = 0;
    // The same for a search for many points at once.
    virtual std::unique_ptr<LoadProgress> showSearchProgress() = 0;
    // The trace step, starting from `current`; nothing on cancel.
    virtual std::optional<TraceStep> chooseTraceStep(const TraceStep &current) = 0;
};
