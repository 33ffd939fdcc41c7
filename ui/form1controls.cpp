// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls at their design places, and the wiring of every handler.
#include "ui/form1.h"

#include "ui/fieldfeedback.h"
#include "ui/optionbutton.h"
#include "ui/twipscontrols.h"
#include "view/magnifier.h"
#include "view/picturepanel.h"
#include "view/viewportclip.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

TwipsRect Form1::twipsOf(const QWidget *control)
{
    const QRectF r = control->property(TwipsProperty).toRectF();
    return {r.left(), r.top(), r.width(), r.height()};
}

void Form1::createControls()
{
    // The design client area keeps its size and layout; on a smaller screen
    // the window shrinks and scroll bars reach the rest.
    Scroller = new QScrollArea(this);
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setWidgetResizable(false);
    setCentralWidget(Scroller);
    Central = new QWidget;
    Central->setObjectName(QStringLiteral("Form1Client"));
    Scroller->setWidget(Central);
    // Design client area: 15240 x 10710 twips below the menu bar.
    Central->setFixedSize(twipsToPixels(15240), twipsToPixels(10710));
    QWidget *w = Central;

    Frame_Leitura = make<QGroupBox>(w, "Frame_Leitura", QStringLiteral("Leitura"), 7470, 120, 4455, 1815);
    Frame6 = make<QGroupBox>(Frame_Leitura, "Frame6", QStringLiteral("Tipo de coordenadas"), 270, 360, 2115, 1215);
    Check_XLog = make<QCheckBox>(Frame6, "Check_XLog", QStringLiteral("X logarítmico"), 240, 360, 1515, 255);
    Check_YLog = make<QCheckBox>(Frame6, "Check_YLog", QStringLiteral("Y logarítmico"), 240, 690, 1515, 255);
    Frame4 = make<QGroupBox>(Frame_Leitura, "Frame4", QStringLiteral("Coordenadas locais"), 2550, 360, 1635, 1185);
    Label_Leitura_Y = make<QLabel>(Frame4, "Label_Leitura_Y", QStringLiteral("----"), 360, 720, 1155, 315);
    Label_Leitura_X = make<QLabel>(Frame4, "Label_Leitura_X", QStringLiteral("----"), 360, 300, 1155, 315);
    Label6 = make<QLabel>(Frame4, "Label6", QStringLiteral("Y"), 120, 750, 615, 255);
    Label7 = make<QLabel>(Frame4, "Label7", QStringLiteral("X"), 120, 360, 615, 255);
    Frame_Leitura->hide();

    Frame_Calibracao = make<QGroupBox>(w, "Frame_Calibracao", QStringLiteral("Calibração"), 2820, 120, 4185, 1755);
    QWidget *c = Frame_Calibracao;
    Text_Y2 = make<QLineEdit>(c, "Text_Y2", QStringLiteral("1"), 2940, 1080, 975, 315);
    Text_X2 = make<QLineEdit>(c, "Text_X2", QStringLiteral("0"), 2940, 660, 975, 315);
    Option_Canto2 = make<OptionButton>(c, "Option_Canto2", QStringLiteral("Ponto 2"), 2940, 360, 915, 195);
    Option_Canto1 = make<OptionButton>(c, "Option_Canto1", QStringLiteral("Ponto 1"), 1710, 360, 915, 195);
    Option_Canto0 = make<OptionButton>(c, "Option_Canto0", QStringLiteral("Ponto 0"), 540, 360, 915, 195);
    Text_Y1 = make<QLineEdit>(c, "Text_Y1", QStringLiteral("0"), 1710, 1080, 975, 315);
    Text_X1 = make<QLineEdit>(c, "Text_X1", QStringLiteral("1"), 1710, 660, 975, 315);
    Text_Y0 = make<QLineEdit>(c, "Text_Y0", QStringLiteral("0"), 540, 1080, 975, 315);
    Text_X0 = make<QLineEdit>(c, "Text_X0", QStringLiteral("0"), 540, 660, 975, 315);
    Label1 = make<QLabel>(c, "Label1", QStringLiteral("Não calibrado"), 1680, 1440, 1095, 195);
    Label2 = make<QLabel>(c, "Label2", QStringLiteral("Não calibrado"), 2940, 1440, 1095, 195);
    Label0 = make<QLabel>(c, "Label0", QStringLiteral("Não calibrado"), 510, 1440, 1035, 195);
    Label_X0 = make<QLabel>(c, "Label_X0", QStringLiteral("X"), 300, 690, 615, 255);
    Label_Y0 = make<QLabel>(c, "Label_Y0", QStringLiteral("Y"), 300, 1110, 615, 255);
    Text_Y2->setEnabled(false);
    Text_X2->setEnabled(false);
    Text_Y1->setEnabled(false);
    Text_X1->setEnabled(false);
    Frame_Calibracao->hide();

    Picture1 = make<QFrame>(w, "Picture1", 240, 1680, 10410, 5775);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1Client = new ViewportClip(Picture1);
    Picture1Client->setObjectName(QStringLiteral("Picture1Client"));
    Picture2 = make<PicturePanel>(Picture1Client, "Picture2", 0, 0, 8415, 4755);
    Picture2->hide();
    VScroll1 = make<QScrollBar>(w, "VScroll1", 13320, 6360, 315, 3435);
    VScroll1->setOrientation(Qt::Vertical);
    VScroll1->hide();
    HScroll1 = make<QScrollBar>(w, "HScroll1", 210, 9150, 4935, 315);
    HScroll1->setOrientation(Qt::Horizontal);
    HScroll1->hide();
    Picture1Client->setScrollBars(HScroll1, VScroll1);

    Frame_Modo = make<QGroupBox>(w, "Frame_Modo", QStringLiteral("Modo"), 240, 120, 2415, 1335);
    Option_LeituraDados = make<OptionButton>(Frame_Modo, "Option_LeituraDados", QStringLiteral("Leitura de dados"), 180, 810, 1695, 195);
    Option_Calibracao = make<OptionButton>(Frame_Modo, "Option_Calibracao", QStringLiteral("Calibração"), 180, 390, 1515, 195);
    Option_LeituraDados->setEnabled(false);
    Option_Calibracao->setEnabled(false);

    Frame_Gravacao = make<QGroupBox>(w, "Frame_Gravacao", QStringLiteral("Gravação de dados"), 12060, 120, 4095, 1815);
    Command3 = make<QPushButton>(Frame_Gravacao, "Command3", QStringLiteral("Escolher Ficheiro"), 1320, 360, 1425, 555);
    Label_PontosGravados = make<QLabel>(Frame_Gravacao, "Label_PontosGravados", QStringLiteral("Numero de pontos gravados = 0"), 120, 1440, 2565, 255);
    Label_Ficheiro = make<QLabel>(Frame_Gravacao, "Label_Ficheiro", QString(), 120, 1080, 3825, 255);
    Frame_Gravacao->hide();

    Picture_Desenho = make<PicturePanel>(w, "Picture_Desenho", 12060, 360, 1755, 1455);
    Picture_Desenho->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture_Desenho->setLineWidth(2);
    Picture_Desenho->hide();

    Lupa = make<Magnifier>(w, "Lupa", 13275, 120, 1815, 1815);
    Lupa->setSource(Picture2);
    Lupa->hide();

    Label_Mensagem = make<QLabel>(w, "Label_Mensagem", QStringLiteral("Mensagem :"), 6540, 9180, 1035, 195);
    QFont bold = Label_Mensagem->font();
    bold.setBold(true);
    Label_Mensagem->setFont(bold);
    setTextColour(Label_Mensagem, palette().color(QPalette::Highlight));
    Label_Mensagem->setWordWrap(true);
    // Whatever the message and the font, the bars stay clickable.
    HScroll1->raise();
    VScroll1->raise();

    // Every control shows the arrow; only the bare window surface shows the
    // crosshair set at load.
    for (QWidget *child : Central->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        child->setCursor(Qt::ArrowCursor);

    // Tab visits every control in reading order: the mode, each reference
    // point with its fields, the axis types, the data file, the picture. The
    // scroll area itself is no stop: it shows nothing of its own.
    Scroller->setFocusPolicy(Qt::NoFocus);
    Picture2->setFocusPolicy(Qt::StrongFocus);
    QWidget *const order[] = {Option_Calibracao, Option_LeituraDados, Option_Canto0, Text_X0, Text_Y0,
                              Option_Canto1, Text_X1, Text_Y1, Option_Canto2, Text_X2, Text_Y2,
                              Check_XLog, Check_YLog, Command3, Picture2};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    createMenus();
}

// Option buttons act on toggled(true): it runs at once inside setChecked(true)
// from code and not at all for the option already selected, exactly like a
// user's choice. Check boxes act on every change of value; text boxes on every
// change, typed or not.
void Form1::connectHandlers()
{
    auto onSelect = [this](QRadioButton *option, void (Form1::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onSelect(Option_Canto0, &Form1::Option_Canto0_Click);
    onSelect(Option_Canto1, &Form1::Option_Canto1_Click);
    onSelect(Option_Canto2, &Form1::Option_Canto2_Click);
    onSelect(Option_Calibracao, &Form1::Option_Calibracao_Click);
    onSelect(Option_LeituraDados, &Form1::Option_LeituraDados_Click);
    connect(Check_XLog, &QCheckBox::toggled, this, &Form1::Check_XLog_Click);
    connect(Check_YLog, &QCheckBox::toggled, this, &Form1::Check_YLog_Click);
    connect(Text_X0, &QLineEdit::textChanged, this, &Form1::Text_X0_Change);
    connect(Text_Y0, &QLineEdit::textChanged, this, &Form1::Text_Y0_Change);
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
    // Every position on the picture goes through the aim first: itself, or
    // the mark snapping found. The magnifier shows where it went.
    connect(Picture2, &PicturePanel::mouseMoved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, float x, float y) {
                const ReadingPosition at = Aim.aim(*Picture2, x, y, Option_Calibracao->isChecked());
                extractionDrag(buttons, x, y);
                Picture2_MouseMove(buttons, shift, at.x, at.y);
                Lupa->showAim(at);
            });
    connect(Picture2, &PicturePanel::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y) {
                const ReadingPosition at = Aim.aim(*Picture2, x, y, Option_Calibracao->isChecked());
                if (extractionPress(button, shift, at)) {
                    Lupa->showAim(at);
                    return;
                }
                AimSnapped = at.snapped;
                Picture2_MouseDown(button, shift, at.x, at.y);
                AimSnapped = false;
                Lupa->showAim(at);
            });
    connect(Picture2, &PicturePanel::mouseReleased, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, float x, float y) { extractionRelease(x, y); });
    connectExtraction();
    connect(Picture2, &PicturePanel::keyboardFocusChanged, Picture1Client, &ViewportClip::showFocusFrame);
    connect(AjustarMarcas, &QAction::toggled, this, &Form1::AjustarMarcas_Click);
    connect(Lupa4, &QAction::triggered, Lupa, [this] { Lupa->setZoom(4); });
    connect(Lupa8, &QAction::triggered, Lupa, [this] { Lupa->setZoom(8); });
    connect(IdiomaIngles, &QAction::triggered, this, [this] { applyLanguage(QStringLiteral("Ingles")); });
    connect(IdiomaPortugues, &QAction::triggered, this, [this] { applyLanguage(QStringLiteral("Portugues")); });
    connect(Lupa, &Magnifier::zoomChanged, this, [this](int zoom) { (zoom == 4 ? Lupa4 : Lupa8)->setChecked(true); });
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Ler, &QAction::triggered, this, &Form1::Ler_Click);
    connect(ExportarConjunto, &QAction::triggered, this, &Form1::ExportarConjunto_Click);
    connect(Sair, &QAction::triggered, this, &Form1::Sair_Click);
    connect(Credits, &QAction::triggered, this, &Form1::Credits_Click);
    connect(DesfazerPonto, &QAction::triggered, this, &Form1::DesfazerPonto_Click);
    connect(ColarImagem, &QAction::triggered, this, &Form1::ColarImagem_Click);
    connect(RefazerPonto, &QAction::triggered, this, &Form1::RefazerPonto_Click);
    for (QLineEdit *field : {Text_X0, Text_Y0, Text_X1, Text_Y1, Text_X2, Text_Y2}) {
        connect(field, &QLineEdit::textChanged, this, [field] { showHowFieldReads(field); });
        selectAllOnFocusClick(field);
    }
    // The grid follows every value, axis type and scroll at once.
    connect(GrelhaCalibracao, &QAction::toggled, this, &Form1::GrelhaCalibracao_Click);
    for (QLineEdit *field : {Text_X0, Text_X1, Text_Y0, Text_Y2})
        connect(field, &QLineEdit::textChanged, this, &Form1::calibrationChanged);
    for (QCheckBox *box : {Check_XLog, Check_YLog})
        connect(box, &QCheckBox::toggled, this, &Form1::calibrationChanged);
    connect(RestaurarCalibracao, &QAction::triggered, this, &Form1::RestaurarCalibracao_Click);
    connect(AmpliarVista, &QAction::triggered, this, &Form1::AmpliarVista_Click);
    connect(ReduzirVista, &QAction::triggered, this, &Form1::ReduzirVista_Click);
    connect(TamanhoReal, &QAction::triggered, this, &Form1::TamanhoReal_Click);
    connect(AjustarVista, &QAction::triggered, this, &Form1::AjustarVista_Click);
    connect(Picture1Client, &ViewportClip::zoomWheel, this, &Form1::zoomBy);
    connect(EncherJanela, &QAction::toggled, this, &Form1::fillWindow);
    for (QScrollBar *bar : {HScroll1, VScroll1})
        connect(bar, &QScrollBar::valueChanged, this, &Form1::updateGrid);
}
