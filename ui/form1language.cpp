// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window in either language: the start-up procedures, and a change of language while it runs.
#include "ui/form1.h"

#include "language/idioma.h"
#include "ui/accessibility.h"
#include "ui/filelabel.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

// One column of the caption table on the window's named controls.
void putCaptions(QWidget &window, bool english)
{
    for (const NamedText &caption : CaptionTable) {
        const QString text = QString::fromUtf8(english ? caption.text.ingles : caption.text.portugues);
        const QString name = QLatin1String(caption.control);
        if (auto *group = window.findChild<QGroupBox *>(name))
            group->setTitle(text);
        else if (auto *button = window.findChild<QAbstractButton *>(name))
            button->setText(text);
        else if (auto *menu = window.findChild<QMenu *>(name))
            menu->setTitle(text);
        else if (auto *action = window.findChild<QAction *>(name))
            action->setText(text);
    }
}

} // namespace

void Form1::PorEmIngles()
{
    TextoCalibrado = QString::fromUtf8(Texts::Calibrado.ingles);
    TextoNaoCalibrado = QString::fromUtf8(Texts::NaoCalibrado.ingles);
    TextoPontosGravados = QString::fromUtf8(Texts::PontosGravados.ingles);
    TextoFicheiro = QString::fromUtf8(Texts::Ficheiro.ingles);
    putCaptions(*this, true);
    for (const NamedText &tip : TooltipTable)
        if (auto *control = findChild<QWidget *>(QLatin1String(tip.control)))
            control->setToolTip(QString::fromUtf8(tip.text.ingles));
}

void Form1::PorEmPortugues()
{
    TextoCalibrado = QString::fromUtf8(Texts::Calibrado.portugues);
    TextoNaoCalibrado = QString::fromUtf8(Texts::NaoCalibrado.portugues);
    TextoPontosGravados = QString::fromUtf8(Texts::PontosGravados.portugues);
    TextoFicheiro = QString::fromUtf8(Texts::Ficheiro.portugues);
    for (const NamedText &tip : TooltipTable)
        if (auto *control = findChild<QWidget *>(QLatin1String(tip.control)))
            control->setToolTip(QString::fromUtf8(tip.text.portugues));
}

// What start-up does for that language, then every text composed since,
// said again: the state labels, the count, the file label, the message line
// and a readout without value.
void Form1::applyLanguage(const QString &idioma)
{
    Idioma = idioma;
    if (Idioma == QLatin1String("Portugues")) {
        putCaptions(*this, false); // the design captions, back from English
        PorEmPortugues();
    }
    if (Idioma == QLatin1String("Ingles"))
        PorEmIngles();
    addMnemonics(menuBar());
    nameForAssistiveTechnology(Central);
    const pontiva::CalibrationState &points = Engine.calibration();
    Label0->setText(points.CantoDefinido0 ? TextoCalibrado : TextoNaoCalibrado);
    Label1->setText(points.CantoDefinido1 ? TextoCalibrado : TextoNaoCalibrado);
    Label2->setText(points.CantoDefinido2 ? TextoCalibrado : TextoNaoCalibrado);
    if (CountSigned)
        showCount(Engine.count());
    else
        showZeroCount();
    showFileLabel();
    showZoom();
    showHalfPixel();
    say(Said);
    const pontiva::ReadoutState readout = Engine.readout();
    if (readout == pontiva::ReadoutState::NoValue || readout == pontiva::ReadoutState::Collinear) {
        showReading(Label_Leitura_X, std::nullopt);
        showReading(Label_Leitura_Y, std::nullopt);
    }
    (Idioma == QLatin1String("Portugues") ? IdiomaPortugues : IdiomaIngles)->setChecked(true);
}

// The data file's name as it fits the label, all of it in the tooltip.
void Form1::showFileLabel()
{
    Label_Ficheiro->setText(fileLabelText(TextoFicheiro, NomeFicheiro, Label_Ficheiro->fontMetrics(),
                                          Label_Ficheiro->width()));
    Label_Ficheiro->setToolTip(NomeFicheiro);
}
