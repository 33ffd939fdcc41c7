// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard mnemonics on the menus, and names a screen reader can tell apart.
#include "ui/accessibility.h"

#include "language/languagetexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

// Each caption as it stands, with the letter a mnemonic marks.
constexpr NamedText Mnemonics[] = {
    {"Ficheiro", {"&Ficheiro", "&File"}},
    {"Ler", {"&Ler", "&Load"}},
    {"ExportarConjunto", {"E&xportar conjunto de dados…", "&Export data set…"}},
    {"Sair", {"&Sair", "E&xit"}},
    {"Editar", {"&Editar", "&Edit"}},
    {"DesfazerPonto", {"&Desfazer ponto", "&Undo point"}},
    {"RefazerPonto", {"&Refazer ponto", "&Redo point"}},
    {"RestaurarCalibracao", {"Res&taurar calibração", "Res&tore calibration"}},
    {"ColarImagem", {"&Colar imagem", "&Paste picture"}},
    {"ProcurarMarcas", {"Procurar &marcas semelhantes", "Find &similar marks"}},
    {"SeguirCurva", {"Se&guir curva", "Trace cur&ve"}},
    {"PassoCurva", {"Passo da c&urva…", "Trace st&ep…"}},
    {"GravarEncontrados", {"Gravar os pontos e&ncontrados", "Rec&ord found points"}},
    {"DescartarEncontrados", {"Desc&artar os pontos encontrados", "D&iscard found points"}},
    {"Ver", {"&Ver", "&View"}},
    {"AjustarMarcas", {"&Ajustar às marcas", "&Snap to marks"}},
    {"GrelhaCalibracao", {"&Grelha de calibração", "Calibration &grid"}},
    {"Lupa4", {"Lupa ×&4", "Magnifier ×&4"}},
    {"Lupa8", {"Lupa ×&8", "Magnifier ×&8"}},
    {"AmpliarVista", {"Am&pliar", "Zoom &in"}},
    {"ReduzirVista", {"Red&uzir", "Zoom &out"}},
    {"TamanhoReal", {"&Tamanho real", "&Actual size"}},
    {"AjustarVista", {"A&justar à janela", "&Fit picture"}},
    {"AjustarAoAbrir", {"Ajustar imagens grandes ao a&brir", "Fit large pictures when o&pened"}},
    {"EncherJanela", {"Imagem o&cupa a janela", "Picture fills the &window"}},
    {"MenuIdioma", {"&Idioma", "&Language"}},
    {"IdiomaIngles", {"&English", "&English"}},
    {"IdiomaPortugues", {"&Português", "&Português"}},
    {"Info", {"&Info", "&Info"}},
    {"Credits", {"&Credits", "&Credits"}},
};

// Controls that show no caption and have no tooltip of their own.
constexpr NamedText OwnNames[] = {
    {"Form1Client", {"Pontiva", "Pontiva"}},
    {"Picture1", {"Área da imagem", "Picture area"}},
    {"Picture1Client", {"Área da imagem", "Picture area"}},
    {"Picture2", {"Imagem do gráfico", "Chart picture"}},
    {"Picture_Desenho", {"Esquema dos pontos de referência", "Sketch of the reference points"}},
    {"HScroll1", {"Deslocamento horizontal da imagem", "Horizontal picture scroll"}},
    {"VScroll1", {"Deslocamento vertical da imagem", "Vertical picture scroll"}},
    {"Label_Mensagem", {"Mensagem", "Message"}},
    {"Label_PontosGravados", {"Pontos gravados", "Saved points"}},
    {"Label_Ficheiro", {"Ficheiro de dados", "Data file"}},
    {"Lupa", {"Lupa", "Magnifier"}},
    {"Label_X0", {"X", "X"}},
    {"Label_Y0", {"Y", "Y"}},
    {"Label6", {"Y lido", "Y reading"}},
    {"Label7", {"X lido", "X reading"}},
};

QString withoutMarks(QString text)
{
    return text.remove(QLatin1Char('&'));
}

void mark(QObject *owner, const NamedText &entry)
{
    const QString pt = QString::fromUtf8(entry.text.portugues), en = QString::fromUtf8(entry.text.ingles);
    auto choose = [&](const QString &current) -> QString {
        if (current == withoutMarks(pt))
            return pt;
        if (current == withoutMarks(en))
            return en;
        return current;
    };
    if (auto *menu = qobject_cast<QMenu *>(owner))
        menu->setTitle(choose(menu->title()));
    else if (auto *action = qobject_cast<QAction *>(owner))
        action->setText(choose(action->text()));
}

QString captionOf(const QWidget *control)
{
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    return {};
}

} // namespace

void addMnemonics(QMenuBar *menus)
{
    for (const NamedText &entry : Mnemonics)
        if (QObject *owner = menus->window()->findChild<QObject *>(QLatin1String(entry.control)))
            mark(owner, entry);
}

void nameForAssistiveTechnology(QWidget *root)
{
    QList<QWidget *> controls = root->findChildren<QWidget *>();
    controls.prepend(root);
    for (QWidget *control : controls) {
        if (control->objectName().isEmpty())
            continue; // a part of a control (a group box's internals, a scroll area's viewport)
        QString name;
        for (const NamedText &own : OwnNames)
            if (control->objectName() == QLatin1String(own.control))
                name = textPortugueseOrEnglish(own.text);
        const QString tip = control->toolTip().section(QLatin1Char('\n'), 0, 0);
        if (name.isEmpty())
            name = tip;
        if (name.isEmpty())
            name = withoutMarks(captionOf(control));
        control->setAccessibleName(name);
        if (!control->toolTip().isEmpty() && control->toolTip() != name)
            control->setAccessibleDescription(control->toolTip());
    }
}
