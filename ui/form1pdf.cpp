// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A page of a PDF document opened as a picture.
#include "ui/form1.h"

#include "picture/pdfpages.h"
#include "picture/picturecontent.h"
#include "picture/pictureloading.h"
#include "ui/picturemessages.h"
#include "ui/userdialogs.h"

#include <QFileInfo>

// The document is read for its pages, the user picks one and a resolution,
// and the page loads as a picture does; what cannot be done is said.
void Form1::openPdf(const QByteArray &nativePath)
{
    const QFileInfo file(QFile::decodeName(nativePath));
    const QString name = file.fileName();
    const PdfDocument document(nativePath);
    if (document.problem() != PictureProblem::None) {
        if (const auto message = pictureProblemMessage({{}, document.problem(), {}}, name))
            say(*message);
        return;
    }
    const std::optional<PdfPageChoice> choice = Dialogs.choosePdfPage(document.pageCount(), DefaultPdfDpi);
    if (!choice)
        return;
    const int page = std::clamp(choice->page, 0, document.pageCount() - 1);
    const int dpi = std::clamp(choice->dpi, SmallestPdfDpi, LargestPdfDpi);
    const DecodedPicture rendered = Loading->load(document.renderJob(page, dpi));
    if (rendered.problem == PictureProblem::TooLarge && !rendered.claimed.isEmpty()) {
        if (const int fits = document.largestFittingDpi(page, dpi)) {
            say({&Texts::PdfGrandeDemais,
                 {name, QString::number(page + 1), QString::number(dpi), QString::number(rendered.claimed.width()),
                  QString::number(rendered.claimed.height()), QString::number(fits)}});
            return;
        }
    }
    if (!openDecoded(rendered, name))
        return;
    LastPictureFolder = file.absolutePath();
    PictureName = file.completeBaseName();
    if (document.pageCount() > 1)
        PictureName += QStringLiteral("-p%1").arg(page + 1);
    learnPictureContent(fileContentKey(nativePath, QByteArray::number(page) + '@' + QByteArray::number(dpi)));
}
