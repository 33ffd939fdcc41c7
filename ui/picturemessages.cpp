// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The message line's words for a picture that did not open.
#include "ui/picturemessages.h"

std::optional<Message> pictureProblemMessage(const DecodedPicture &outcome, const QString &name)
{
    const Bilingual *text = nullptr;
    switch (outcome.problem) {
    case PictureProblem::None:
    case PictureProblem::Cancelled: return std::nullopt;
    case PictureProblem::CannotOpen: text = &Texts::ImagemNaoAbre; break;
    case PictureProblem::NotAFile: text = &Texts::ImagemNaoEFicheiro; break;
    case PictureProblem::NotAPicture: text = &Texts::NaoEImagem; break;
    case PictureProblem::CutShort: text = &Texts::ImagemIncompleta; break;
    case PictureProblem::Damaged: text = &Texts::ImagemDanificada; break;
    case PictureProblem::Locked: text = &Texts::PdfProtegido; break;
    case PictureProblem::NoPages: text = &Texts::PdfSemPaginas; break;
    case PictureProblem::TooLarge:
        if (outcome.claimed.isEmpty()) // nothing to say it by
            text = &Texts::NaoEImagem;
        else
            text = &Texts::ImagemGrandeDemais;
        break;
    }
    if (text == &Texts::ImagemGrandeDemais)
        return Message{text, {name, QString::number(outcome.claimed.width()), QString::number(outcome.claimed.height())}};
    return Message{text, {name}};
}
