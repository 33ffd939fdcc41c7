// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menus: File, Edit, View and Info, with their keys.
#include "ui/form1.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

// The desktop's own keys; some platforms define none for Quit, and users of
// every Linux desktop expect Ctrl+Q there.
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, QKeyCombination fallback)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty())
        keys << QKeySequence(fallback);
    return keys;
}

} // namespace

// Captions are the design's; the language procedures and the mnemonics
// change them later.
void Form1::createMenus()
{
    Ficheiro = menuBar()->addMenu(QStringLiteral("Ficheiro"));
    Ficheiro->setObjectName(QStringLiteral("Ficheiro"));
    Ler = Ficheiro->addAction(QStringLiteral("Ler"));
    Ler->setObjectName(QStringLiteral("Ler"));
    Ler->setShortcuts(standardKeys(QKeySequence::Open, Qt::CTRL | Qt::Key_O));
    ExportarConjunto = Ficheiro->addAction(QStringLiteral("Exportar conjunto de dados…"));
    ExportarConjunto->setObjectName(QStringLiteral("ExportarConjunto"));
    ExportarConjunto->setShortcut(Qt::CTRL | Qt::Key_E);
    ExportarConjunto->setEnabled(false);
    Ficheiro->addSeparator();
    Sair = Ficheiro->addAction(QStringLiteral("Sair"));
    Sair->setObjectName(QStringLiteral("Sair"));
    Sair->setShortcuts(standardKeys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q));
    Editar = menuBar()->addMenu(QStringLiteral("Editar"));
    Editar->setObjectName(QStringLiteral("Editar"));
    DesfazerPonto = Editar->addAction(QStringLiteral("Desfazer ponto"));
    DesfazerPonto->setObjectName(QStringLiteral("DesfazerPonto"));
    DesfazerPonto->setShortcuts(standardKeys(QKeySequence::Undo, Qt::CTRL | Qt::Key_Z));
    RefazerPonto = Editar->addAction(QStringLiteral("Refazer ponto"));
    RefazerPonto->setObjectName(QStringLiteral("RefazerPonto"));
    // Both spellings of redo that desktops use.
    RefazerPonto->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    DesfazerPonto->setEnabled(false);
    RefazerPonto->setEnabled(false);
    RestaurarCalibracao = Editar->addAction(QStringLiteral("Restaurar calibração"));
    RestaurarCalibracao->setObjectName(QStringLiteral("RestaurarCalibracao"));
    RestaurarCalibracao->setShortcut(Qt::CTRL | Qt::Key_R);
    RestaurarCalibracao->setEnabled(false);
    createExtractionMenus();
    Editar->addSeparator();
    ColarImagem = Editar->addAction(QStringLiteral("Colar imagem"));
    ColarImagem->setObjectName(QStringLiteral("ColarImagem"));
    ColarImagem->setShortcuts(standardKeys(QKeySequence::Paste, Qt::CTRL | Qt::Key_V));
    Ver = menuBar()->addMenu(QStringLiteral("Ver"));
    Ver->setObjectName(QStringLiteral("Ver"));
    AjustarMarcas = Ver->addAction(QStringLiteral("Ajustar às marcas"));
    AjustarMarcas->setObjectName(QStringLiteral("AjustarMarcas"));
    AjustarMarcas->setCheckable(true);
    AjustarMarcas->setShortcut(Qt::Key_F3); // object snap, as in CAD programs
    GrelhaCalibracao = Ver->addAction(QStringLiteral("Grelha de calibração"));
    GrelhaCalibracao->setObjectName(QStringLiteral("GrelhaCalibracao"));
    GrelhaCalibracao->setCheckable(true);
    GrelhaCalibracao->setShortcut(Qt::CTRL | Qt::Key_G);
    Ver->addSeparator();
    auto *zooms = new QActionGroup(this);
    Lupa4 = Ver->addAction(QStringLiteral("Lupa ×4"));
    Lupa4->setObjectName(QStringLiteral("Lupa4"));
    Lupa8 = Ver->addAction(QStringLiteral("Lupa ×8"));
    Lupa8->setObjectName(QStringLiteral("Lupa8"));
    for (QAction *zoom : {Lupa4, Lupa8}) {
        zoom->setCheckable(true);
        zooms->addAction(zoom);
    }
    Lupa8->setChecked(true);
    Ver->addSeparator();
    ZoomAtual = Ver->addAction(QStringLiteral("&Zoom: 100 %"));
    ZoomAtual->setObjectName(QStringLiteral("ZoomAtual"));
    ZoomAtual->setEnabled(false); // shows the zoom; nothing to choose
    AmpliarVista = Ver->addAction(QStringLiteral("Ampliar"));
    AmpliarVista->setObjectName(QStringLiteral("AmpliarVista"));
    AmpliarVista->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ReduzirVista = Ver->addAction(QStringLiteral("Reduzir"));
    ReduzirVista->setObjectName(QStringLiteral("ReduzirVista"));
    ReduzirVista->setShortcut(Qt::CTRL | Qt::Key_Minus);
    TamanhoReal = Ver->addAction(QStringLiteral("Tamanho real"));
    TamanhoReal->setObjectName(QStringLiteral("TamanhoReal"));
    TamanhoReal->setShortcut(Qt::CTRL | Qt::Key_0);
    AjustarVista = Ver->addAction(QStringLiteral("Ajustar à janela"));
    AjustarVista->setObjectName(QStringLiteral("AjustarVista"));
    AjustarVista->setShortcut(Qt::CTRL | Qt::Key_9);
    AjustarAoAbrir = Ver->addAction(QStringLiteral("Ajustar imagens grandes ao abrir"));
    AjustarAoAbrir->setObjectName(QStringLiteral("AjustarAoAbrir"));
    AjustarAoAbrir->setCheckable(true);
    for (QAction *zoom : {AmpliarVista, ReduzirVista, TamanhoReal, AjustarVista})
        zoom->setEnabled(false);
    EncherJanela = Ver->addAction(QStringLiteral("Imagem ocupa a janela"));
    EncherJanela->setObjectName(QStringLiteral("EncherJanela"));
    EncherJanela->setCheckable(true);
    Ver->addSeparator();
    MenuIdioma = Ver->addMenu(QStringLiteral("Idioma"));
    MenuIdioma->setObjectName(QStringLiteral("MenuIdioma"));
    auto *languages = new QActionGroup(this);
    // Each language named in itself, whichever is in use.
    IdiomaIngles = MenuIdioma->addAction(QStringLiteral("English"));
    IdiomaIngles->setObjectName(QStringLiteral("IdiomaIngles"));
    IdiomaPortugues = MenuIdioma->addAction(QStringLiteral("Português"));
    IdiomaPortugues->setObjectName(QStringLiteral("IdiomaPortugues"));
    for (QAction *language : {IdiomaIngles, IdiomaPortugues}) {
        language->setCheckable(true);
        languages->addAction(language);
    }
    Info = menuBar()->addMenu(QStringLiteral("Info"));
    Info->setObjectName(QStringLiteral("Info"));
    Credits = Info->addAction(QStringLiteral("Credits"));
    Credits->setObjectName(QStringLiteral("Credits"));
}
