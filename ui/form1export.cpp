// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The current data set written out as CSV, beside the data file.
#include "ui/form1.h"

#include "reading/datasetexport.h"
#include "ui/userdialogs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

void Form1::ExportarConjunto_Click()
{
    const std::vector<pontiva::RecordedPoint> points = Engine.points();
    if (points.empty())
        return;
    const QString csv = textPortugueseOrEnglish(Texts::FicheirosCsv);
    const FileDialogRequest request{textPortugueseOrEnglish(Texts::ExportarTitulo),
                                    csv + QStringLiteral(" (*.csv)|*.csv"), 1,
                                    LastPictureFolder.isEmpty() ? QDir::homePath() : LastPictureFolder,
                                    (PictureName.isEmpty() ? QStringLiteral("data") : PictureName) + QStringLiteral(".csv")};
    const std::optional<QString> path = Dialogs.saveExportFile(request);
    if (!path)
        return;
    const std::string failure =
        pontiva::replaceFileWhole(QFile::encodeName(*path).toStdString(), pontiva::csvOfDataSet(points));
    if (!failure.empty()) {
        Dialogs.message(textPortugueseOrEnglish(Texts::ExportacaoFalhou)
                            .arg(QDir::toNativeSeparators(*path), QString::fromLocal8Bit(failure.c_str())));
        return;
    }
    say({&Texts::ExportacaoFeita, {QString::number(points.size()), QFileInfo(*path).fileName()}});
}
