// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real modal dialogs: Qt's file dialogs, message boxes and the About box.
#pragma once

#include "ui/userdialogs.h"

#include <QStringList>
#include <memory>

class QFileDialog;
class QWidget;

// "Jpg Files (*.jpg)|*.jpg|..." as Qt name filters. A display text that does
// not show its pattern gets it appended, since Qt reads the pattern from the
// text; "*.*" means every file, with or without an extension.
QStringList qtNameFilters(const QString &filter);

class QtUserDialogs : public UserDialogs
{
public:
    explicit QtUserDialogs(QWidget *parent = nullptr);
    ~QtUserDialogs() override;
    // The window the dialogs are modal over.
    void setParent(QWidget *parent) { Parent = parent; }

    std::optional<QString> openPictureFile(const FileDialogRequest &request) override;
    std::optional<QString> saveDataFile(const FileDialogRequest &request) override;
    std::optional<QString> saveExportFile(const FileDialogRequest &request) override;
    std::optional<PdfPageChoice> choosePdfPage(int pageCount, int dpi) override;
    void message(const QString &text) override;
    bool question(const QString &text, const QString &title) override;
    void about() override;
    std::unique_ptr<LoadProgress> showLoadProgress() override;
    std::unique_ptr<LoadProgress> showSearchProgress() override;
    std::optional<TraceStep> chooseTraceStep(const TraceStep &current) override;

    // The configured dialogs, not shown: for checking how they filter.
    std::unique_ptr<QFileDialog> makeOpenDialog(const FileDialogRequest &request) const;
    std::unique_ptr<QFileDialog> makeSaveDialog(const FileDialogRequest &request) const;

private:
    QWidget *Parent;
    QString LastPicture;  // each dialog shows the name chosen last in it
    QString LastDataFile;
    QString LastExport;
};
