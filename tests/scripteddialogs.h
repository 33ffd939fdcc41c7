// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Answers the window's dialogs from a script and records what was asked.
#pragma once

#include "ui/userdialogs.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <deque>
#include <functional>

class ScriptedDialogs : public UserDialogs
{
public:
    std::deque<std::optional<QString>> pictureAnswers;
    std::deque<std::optional<QString>> dataFileAnswers;
    std::deque<std::optional<QString>> exportAnswers;
    std::deque<bool> questionAnswers;

    QList<FileDialogRequest> openRequests, saveRequests, exportRequests;
    QStringList messages;
    QList<QPair<QString, QString>> questions; // text, title
    int aboutCount = 0;
    // Runs while a message is "on screen", to look at the window behind it.
    std::function<void(const QString &)> onMessage;

    std::optional<QString> openPictureFile(const FileDialogRequest &request) override
    {
        openRequests << request;
        return take(pictureAnswers, "picture file");
    }
    std::optional<QString> saveDataFile(const FileDialogRequest &request) override
    {
        saveRequests << request;
        return take(dataFileAnswers, "data file");
    }
    std::optional<QString> saveExportFile(const FileDialogRequest &request) override
    {
        exportRequests << request;
        return take(exportAnswers, "export file");
    }
    // A PDF's page and resolution; the first page at 300 dpi when nothing is scripted.
    std::deque<std::optional<PdfPageChoice>> pdfAnswers;
    QList<int> pdfPageCounts;
    std::optional<PdfPageChoice> choosePdfPage(int pageCount, int dpi) override
    {
        pdfPageCounts << pageCount;
        if (pdfAnswers.empty())
            return PdfPageChoice{0, dpi};
        const std::optional<PdfPageChoice> answer = pdfAnswers.front();
        pdfAnswers.pop_front();
        return answer;
    }
    void message(const QString &text) override
    {
        messages << text;
        if (onMessage)
            onMessage(text);
    }
    bool question(const QString &text, const QString &title) override
    {
        questions << qMakePair(text, title);
        if (questionAnswers.empty())
            qFatal("unexpected question: %s", qPrintable(text));
        const bool answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }
    void about() override { ++aboutCount; }

    // Long picture loads: how often the progress was shown, and whether the
    // "user" presses Cancel as soon as it is.
    int progressShown = 0;
    bool cancelLoads = false;
    std::unique_ptr<LoadProgress> showLoadProgress() override
    {
        ++progressShown;
        struct Progress : LoadProgress {
            bool cancel;
            explicit Progress(bool c) : cancel(c) {}
            void setProgress(double) override {}
            bool cancelled() const override { return cancel; }
        };
        return std::make_unique<Progress>(cancelLoads);
    }
    int searchProgressShown = 0;
    std::unique_ptr<LoadProgress> showSearchProgress() override
    {
        ++searchProgressShown;
        return showLoadProgress();
    }
    // The trace step the "user" sets; the current one kept when nothing is scripted.
    std::deque<std::optional<TraceStep>> traceStepAnswers;
    std::optional<TraceStep> chooseTraceStep(const TraceStep &current) override
    {
        if (traceStepAnswers.empty())
            return current;
        const std::optional<TraceStep> answer = traceStepAnswers.front();
        traceStepAnswers.pop_front();
        return answer;
    }

private:
    static std::optional<QString> take(std::deque<std::optional<QString>> &answers, const char *what)
    {
        if (answers.empty())
            qFatal("unexpected %s dialog", what);
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
