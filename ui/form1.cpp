// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: every control of the tool and the handlers that route its events.
#include "ui/form1.h"

#include "app/idioma.h"
#include "calibration/numberparsing.h"
#include "calibration/positiverule.h"
#include "reading/numberformat.h"
#include "ui/accessibility.h"
#include "ui/fieldfeedback.h"
#include "ui/layout.h"
#include "ui/pictureopening.h"
#include "ui/twipscontrols.h"
#include "ui/userdialogs.h"
#include "view/magnifier.h"
#include "view/picturedrop.h"
#include "view/pictureformats.h"
#include "view/calibrationsketch.h"
#include "view/picturepanel.h"
#include "view/pointcolours.h"
#include "view/viewportclip.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QGroupBox>
#include <QActionGroup>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSessionManager>
#include <QTimer>

namespace {

const QColor &Red = Point0Colour;
const QColor &Green = Point1Colour;
const QColor &Blue = Point2Colour;

// Where a first run keeps its points: coords.txt in the user's home folder.
QString defaultDataFilePath()
{
    return QDir::homePath() + QStringLiteral("/coords.txt");
}

std::string utf8(const QLineEdit *field)
{
    return field->text().toStdString();
}

// Why a click stores nothing, or nothing when the readout holds numbers.
const Bilingual *refusalOfReadout(ReadoutState state)
{
    switch (state) {
    case ReadoutState::NeverShown: return &Texts::PontoSemLeitura;
    case ReadoutState::NoValue: return &Texts::PontoSemValor;
    case ReadoutState::Collinear: return &Texts::PontoColinear;
    case ReadoutState::Value: break;
    }
    return nullptr;
}

const Bilingual *failureOfStep(pontiva::RecordedPoints::Outcome outcome, const Bilingual &changed,
                               const Bilingual &failed)
{
    using Outcome = pontiva::RecordedPoints::Outcome;
    return outcome == Outcome::FileChanged ? &changed : outcome == Outcome::Failed ? &failed : nullptr;
}

} // namespace

Form1::Form1(UserDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent)
    , Dialogs(dialogs)
{
    endProgram = [] { QCoreApplication::quit(); };
    openPictureDevice = [](const QString &path) { return std::make_unique<QFile>(path); };
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pontiva"));
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    setFont(font);
    createControls();
    connectHandlers();
    setAcceptDrops(true);
    if (qApp) {
        connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
            SessionEnding = true;
            // A session that really ends closes the window through the
            // application's quit; a cancelled logout or a checkpoint comes
            // back here, and later closes must ask again.
            QTimer::singleShot(0, this, [this] { SessionEnding = false; });
        });
    }
}

Form1::~Form1()
{
    closeDataFile();
}

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
    Option_Canto2 = make<QRadioButton>(c, "Option_Canto2", QStringLiteral("Ponto 2"), 2940, 360, 915, 195);
    Option_Canto1 = make<QRadioButton>(c, "Option_Canto1", QStringLiteral("Ponto 1"), 1710, 360, 915, 195);
    Option_Canto0 = make<QRadioButton>(c, "Option_Canto0", QStringLiteral("Ponto 0"), 540, 360, 915, 195);
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
    Option_LeituraDados = make<QRadioButton>(Frame_Modo, "Option_LeituraDados", QStringLiteral("Leitura de dados"), 180, 810, 1695, 195);
    Option_Calibracao = make<QRadioButton>(Frame_Modo, "Option_Calibracao", QStringLiteral("Calibração"), 180, 390, 1515, 195);
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
                Picture2_MouseMove(buttons, shift, at.x, at.y);
                Lupa->showAim(at);
            });
    connect(Picture2, &PicturePanel::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y) {
                const ReadingPosition at = Aim.aim(*Picture2, x, y, Option_Calibracao->isChecked());
                Picture2_MouseDown(button, shift, at.x, at.y);
                Lupa->showAim(at);
            });
    connect(AjustarMarcas, &QAction::toggled, this, &Form1::AjustarMarcas_Click);
    connect(Lupa4, &QAction::triggered, Lupa, [this] { Lupa->setZoom(4); });
    connect(Lupa8, &QAction::triggered, Lupa, [this] { Lupa->setZoom(8); });
    connect(Lupa, &Magnifier::zoomChanged, this, [this](int zoom) { (zoom == 4 ? Lupa4 : Lupa8)->setChecked(true); });
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Ler, &QAction::triggered, this, &Form1::Ler_Click);
    connect(Sair, &QAction::triggered, this, &Form1::Sair_Click);
    connect(Credits, &QAction::triggered, this, &Form1::Credits_Click);
    connect(DesfazerPonto, &QAction::triggered, this, &Form1::DesfazerPonto_Click);
    connect(ColarImagem, &QAction::triggered, this, &Form1::ColarImagem_Click);
    connect(RefazerPonto, &QAction::triggered, this, &Form1::RefazerPonto_Click);
    for (QLineEdit *field : {Text_X0, Text_Y0, Text_X1, Text_Y1, Text_X2, Text_Y2})
        connect(field, &QLineEdit::textChanged, this, [field] { showHowFieldReads(field); });
}

void Form1::Form_Load()
{
    if (Idioma == QLatin1String("Portugues"))
        PorEmPortugues();
    if (Idioma == QLatin1String("Ingles"))
        PorEmIngles();

    // Start attribute: the crosshair over the bare window surface; the window
    // opens at its design size.
    Central->setCursor(Qt::CrossCursor);
    addMnemonics(menuBar());
    nameForAssistiveTechnology(Central);
    // The design size: the scroll area alone would ask for less.
    resize(Central->width(), Central->height() + menuBar()->sizeHint().height());
    show();

    layOut();

    if (auto text = textByBothTests(Texts::LerImagem))
        setMessageLine(*text);
    NomeFicheiro = defaultDataFilePath();
    Label_Ficheiro->setText(TextoFicheiro + NomeFicheiro);
    ImagemCarregada = false;
    setTextColour(Label0, Red);
    setTextColour(Option_Canto0, Red);
    setTextColour(Label1, Green);
    setTextColour(Option_Canto1, Green);
    setTextColour(Label2, Blue);
    setTextColour(Option_Canto2, Blue);
    DesenhaAjuda();
    Inicializacao();
}

void Form1::PorEmIngles()
{
    TextoCalibrado = QString::fromUtf8(Texts::Calibrado.ingles);
    TextoNaoCalibrado = QString::fromUtf8(Texts::NaoCalibrado.ingles);
    TextoPontosGravados = QString::fromUtf8(Texts::PontosGravados.ingles);
    TextoFicheiro = QString::fromUtf8(Texts::Ficheiro.ingles);
    for (const NamedText &caption : CaptionTable) {
        const QString text = QString::fromUtf8(caption.text.ingles);
        const QString name = QLatin1String(caption.control);
        if (auto *group = findChild<QGroupBox *>(name))
            group->setTitle(text);
        else if (auto *button = findChild<QAbstractButton *>(name))
            button->setText(text);
        else if (auto *menu = findChild<QMenu *>(name))
            menu->setTitle(text);
        else if (auto *action = findChild<QAction *>(name))
            action->setText(text);
    }
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

void Form1::layOut()
{
    MainLayout design{twipsOf(Frame_Modo), twipsOf(Frame_Calibracao), twipsOf(Frame_Leitura),
                      twipsOf(Frame_Gravacao), twipsOf(Picture1), twipsOf(Picture_Desenho),
                      twipsOf(HScroll1), twipsOf(VScroll1), twipsOf(Label_Mensagem), twipsOf(Lupa)};
    // The outer size, borders, title and menu bar included.
    const QSize outer = frameGeometry().size();
    const MainLayout l = layOutMainWindow(design, pixelsToTwips(outer.width()), pixelsToTwips(outer.height()));
    placeInTwips(Frame_Modo, l.Frame_Modo);
    placeInTwips(Frame_Calibracao, l.Frame_Calibracao);
    placeInTwips(Frame_Leitura, l.Frame_Leitura);
    placeInTwips(Frame_Gravacao, l.Frame_Gravacao);
    placeInTwips(Picture1, l.Picture1);
    placeInTwips(Picture_Desenho, l.Picture_Desenho);
    placeInTwips(HScroll1, l.HScroll1);
    placeInTwips(VScroll1, l.VScroll1);
    placeInTwips(Label_Mensagem, l.Label_Mensagem);
    placeInTwips(Lupa, l.Lupa);
    fitMessageLine();
    Picture1Client->setGeometry(Picture1->contentsRect());
}

void Form1::setMessageLine(const QString &text)
{
    Label_Mensagem->setText(text);
    fitMessageLine();
}

// One line as long as the message, but never past where the horizontal bar
// begins: a wide font wraps the message instead of covering the bar.
void Form1::fitMessageLine()
{
    const int room = HScroll1->x() - twipsToPixels(120) - Label_Mensagem->x();
    const int wanted = Label_Mensagem->fontMetrics().horizontalAdvance(Label_Mensagem->text())
        + 2 * Label_Mensagem->margin() + 2;
    const int width = std::max(1, std::min(wanted, room));
    Label_Mensagem->resize(width, Label_Mensagem->heightForWidth(width));
}

void Form1::showMessageBothTests(const Bilingual &text)
{
    if (auto chosen = textByBothTests(text))
        Dialogs.message(*chosen);
}

// ---- Menus and closing ------------------------------------------------------

bool Form1::askExitConfirmation()
{
    return Dialogs.question(textPortugueseOrEnglish(Texts::SairPergunta),
                            textPortugueseOrEnglish(Texts::SairTitulo));
}

void Form1::terminate()
{
    closeDataFile();
    Ending = true;
    close();
    endProgram();
}

void Form1::Sair_Click()
{
    if (askExitConfirmation())
        terminate();
}

void Form1::Credits_Click()
{
    Dialogs.about();
}

void Form1::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    // Decoding the icon loads every image plugin: after the first paint, it
    // no longer holds the window back.
    if (!IconSet) {
        IconSet = true;
        QTimer::singleShot(0, this, [this] { setWindowIcon(QIcon(QStringLiteral(":/pontiva/icon-64.png"))); });
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (Ending) {
        event->accept();
        return;
    }
    // A spontaneous close comes from the window's own close box, system menu
    // or Alt+F4; a close from code or from a session ending is not asked about.
    const int unloadMode = event->spontaneous() && !SessionEnding ? 0 : 1;
    bool cancel = false;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
}

void Form1::Form_QueryUnload(bool &cancel, int unloadMode)
{
    if (unloadMode == 0) {
        if (!askExitConfirmation()) {
            cancel = true;
            return;
        }
        closeDataFile();
        Ending = true;
        endProgram();
        return;
    }
    closeDataFile();
}

// ---- Picture viewport -------------------------------------------------------

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void Form1::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppablePicture(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void Form1::dropEvent(QDropEvent *event)
{
    const std::optional<QString> path = droppablePicture(event->mimeData());
    if (!path) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    openPicture(*path);
}

void Form1::Ler_Click()
{
    // The two classic entries first, the first chosen; then every format the
    // installed readers decode.
    const FileDialogRequest request{QStringLiteral("File name"),
                                    QStringLiteral("Jpg Files (*.jpg)|*.jpg|Bmp Files (*.bmp)|*.bmp|")
                                        + allPicturesFilter(textPortugueseOrEnglish(Texts::TodasImagens)),
                                    1};
    const std::optional<QString> path = Dialogs.openPictureFile(request);
    if (!path)
        return; // cancelled: nothing changes
    openPicture(*path);
}

// The load sequence from decoding on, for the dialog and for a dropped file.
void Form1::openPicture(const QString &path)
{
    std::optional<QImage> picture = decodeShowingProgress(openPictureDevice(path), Dialogs);
    if (!picture)
        return; // unreadable or not a picture: nothing changes, silently
    showPicture(std::move(*picture));
}

void Form1::openPictureFile(const QString &path)
{
    openPicture(path);
}

void Form1::secondStart(const QString &picture)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (!picture.isEmpty())
        openPicture(picture);
}

// A picture on the clipboard goes through the load sequence from the
// decoded picture on; anything else there changes nothing.
void Form1::ColarImagem_Click()
{
    std::optional<QImage> picture = pastedPicture(QGuiApplication::clipboard()->mimeData());
    if (!picture)
        return;
    showPicture(std::move(*picture));
}

// The load sequence after the decoding.
void Form1::showPicture(QImage picture)
{
    // The new picture replaces the old one and every mark drawn on it.
    Picture2->setPicture(std::move(picture));
    Picture2->show();
    Picture2->setAutoSize(true);
    Picture1Client->fitScrollBarsTo(Picture2->size());
    HScroll1_Change();
    VScroll1_Change();

    Option_Calibracao->setEnabled(true);
    Option_Calibracao->setChecked(true);
    ImagemCarregada = true;
    Lupa->clear();
    Lupa->show();
    Picture2->setScale(0, 100, 100, 0);
    Inicializacao();
}

void Form1::HScroll1_Change()
{
    Picture2->move(-HScroll1->value(), Picture2->y());
}

void Form1::VScroll1_Change()
{
    Picture2->move(Picture2->x(), -VScroll1->value());
}

// ---- Calibration workflow ---------------------------------------------------

int Form1::selectedPoint() const
{
    if (Option_Canto0->isChecked())
        return 0;
    if (Option_Canto1->isChecked())
        return 1;
    if (Option_Canto2->isChecked())
        return 2;
    return -1;
}

void Form1::applyEditableFields(int point)
{
    const pontiva::EditableFields f = pontiva::editableFieldsFor(point);
    Text_X0->setEnabled(f.x0);
    Text_Y0->setEnabled(f.y0);
    Text_X1->setEnabled(f.x1);
    Text_Y2->setEnabled(f.y2);
}

void Form1::showModeGroups(pontiva::Mode mode)
{
    const pontiva::ModeGroups g = pontiva::groupsFor(mode);
    Label_Leitura_X->setEnabled(g.readoutEnabled);
    Label_Leitura_Y->setEnabled(g.readoutEnabled);
    // Shown before hidden, so the reading groups stand behind any message
    // that entering the mode raises next.
    Frame_Calibracao->setVisible(g.calibration);
    Picture_Desenho->setVisible(g.helpSketch);
    Frame_Leitura->setVisible(g.reading);
    Frame_Gravacao->setVisible(g.storage);
    updateEditActions();
}

void Form1::Inicializacao()
{
    NumPontosGravados = 0;
    Calibracao.reset();
    Label0->setText(TextoNaoCalibrado);
    Label1->setText(TextoNaoCalibrado);
    Label2->setText(TextoNaoCalibrado);
    Option_Canto0->setChecked(true);
    Option_LeituraDados->setEnabled(false);
    Label_PontosGravados->setText(QStringLiteral("0") + TextoPontosGravados);
    startDataSet();
}

void Form1::Option_Canto0_Click()
{
    applyEditableFields(0);
}

void Form1::Option_Canto1_Click()
{
    applyEditableFields(1);
}

void Form1::Option_Canto2_Click()
{
    applyEditableFields(2);
}

void Form1::Text_X0_Change()
{
    Text_X2->setText(Text_X0->text());
}

void Form1::Text_Y0_Change()
{
    Text_Y1->setText(Text_Y0->text());
}

void Form1::applyPositiveRuleX()
{
    if (pontiva::breaksPositiveRule(Check_XLog->isChecked() ? 1 : 0, utf8(Text_X0), utf8(Text_X1))) {
        showMessageBothTests(Texts::LogPositivos);
        Check_XLog->setChecked(false); // runs Check_XLog_Click, which finds the box clear
    }
}

void Form1::applyPositiveRuleY()
{
    if (pontiva::breaksPositiveRule(Check_YLog->isChecked() ? 1 : 0, utf8(Text_Y0), utf8(Text_Y2))) {
        showMessageBothTests(Texts::LogPositivos);
        Check_YLog->setChecked(false);
    }
}

void Form1::Check_XLog_Click()
{
    applyPositiveRuleX();
}

void Form1::Check_YLog_Click()
{
    applyPositiveRuleY();
}

void Form1::Option_Calibracao_Click()
{
    applyEditableFields(selectedPoint());
    showModeGroups(pontiva::Mode::Calibration);
    if (auto text = textByBothTests(Texts::ModoCalibracao))
        setMessageLine(*text);
}

void Form1::Option_LeituraDados_Click()
{
    showModeGroups(pontiva::Mode::Reading);
    applyPositiveRuleX();
    applyPositiveRuleY();
    if (auto text = textByBothTests(Texts::ModoLeitura))
        setMessageLine(*text);
}

// ---- Picture events ---------------------------------------------------------

void Form1::Picture2_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, float x, float y)
{
    if (!ImagemCarregada)
        return;
    if (Option_Calibracao->isChecked() && selectedPoint() < 0) {
        Picture2->setCursor(Qt::ArrowCursor);
        return;
    }
    Picture2->setCursor(Qt::CrossCursor);

    const pontiva::Transform t = pontiva::computeTransform(currentInputs());
    if (t.xAxis == pontiva::AxisStatus::EqualValues)
        failAxis(1);
    // Tested afresh: after an X failure the window is calibrating already, so
    // a Y failure in the same move neither asks again nor moves to point 2.
    if (t.yAxis == pontiva::AxisStatus::EqualValues)
        failAxis(2);

    if (!Option_LeituraDados->isChecked())
        return;
    Picture2->setCursor(Qt::CrossCursor);
    // The fields and boxes are read again at this moment.
    const pontiva::DataReading r =
        pontiva::mapToData(t, x, y, Calibracao.XCanto0, Calibracao.YCanto0,
                           pontiva::parseNumber(utf8(Text_X0)), pontiva::parseNumber(utf8(Text_Y0)),
                           Check_XLog->isChecked(), Check_YLog->isChecked());
    const QChar decimalPoint = QLocale().decimalPoint().at(0);
    showReading(Label_Leitura_X, r.x, decimalPoint);
    showReading(Label_Leitura_Y, r.y, decimalPoint);
    Readout = r.x && r.y ? ReadoutState::Value
                         : (t.collinear ? ReadoutState::Collinear : ReadoutState::NoValue);
}

pontiva::CalibrationInputs Form1::currentInputs() const
{
    pontiva::CalibrationInputs in;
    in.x0 = pontiva::parseNumber(utf8(Text_X0));
    in.x1 = pontiva::parseNumber(utf8(Text_X1));
    in.y0 = pontiva::parseNumber(utf8(Text_Y0));
    in.y2 = pontiva::parseNumber(utf8(Text_Y2));
    in.xLog = Check_XLog->isChecked();
    in.yLog = Check_YLog->isChecked();
    in.XCanto0 = Calibracao.XCanto0;
    in.YCanto0 = Calibracao.YCanto0;
    in.XCanto1 = Calibracao.XCanto1;
    in.YCanto1 = Calibracao.YCanto1;
    in.XCanto2 = Calibracao.XCanto2;
    in.YCanto2 = Calibracao.YCanto2;
    return in;
}

// Point 1 for the X axis, point 2 for the Y axis: it counts as not clicked
// again, and a user who was reading is sent back to place it anew.
void Form1::failAxis(int point)
{
    Calibracao.unclick(point);
    (point == 1 ? Label1 : Label2)->setText(TextoNaoCalibrado);
    Option_LeituraDados->setEnabled(false);
    if (!Option_Calibracao->isChecked()) {
        showMessageBothTests(Texts::ErroCalibracao);
        Option_Calibracao->setChecked(true);
        (point == 1 ? Option_Canto1 : Option_Canto2)->setChecked(true);
    }
}

void Form1::showReading(QLabel *label, const std::optional<double> &value, QChar decimalPoint)
{
    if (!value) {
        // Never a number that is not one: the text says so, and a click refuses it.
        label->setText(textByBothTests(Texts::SemValor).value_or(QStringLiteral("----")));
        return;
    }
    const char separator = decimalPoint.unicode() < 128 ? char(decimalPoint.unicode()) : '.';
    label->setText(QString::fromLatin1(pontiva::formatReading(*value, separator)));
}

void Form1::Picture2_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y)
{
    if (Option_Calibracao->isChecked()) {
        QLabel *const statusLabels[] = {Label0, Label1, Label2};
        const int point = selectedPoint();
        if (point >= 0) {
            Calibracao.place(point, x, y);
            statusLabels[point]->setText(TextoCalibrado);
            RepresentaPontos();
        }
        if (Calibracao.allDefined())
            Option_LeituraDados->setEnabled(true);
    }
    if (Option_LeituraDados->isChecked())
        recordPoint(x, y);
}

void Form1::recordPoint(float x, float y)
{
    if (const Bilingual *refusal = refusalOfReadout(Readout)) {
        showMessageBothTests(*refusal);
        return;
    }
    if (!Gravacao.usable()) {
        dataFileFailed(Texts::FicheiroNaoGrava);
        return;
    }
    // The captions exactly as they stand, even if no move refreshed them.
    pontiva::RecordedPoint point{pontiva::dataLine(Label_Leitura_X->text().toLatin1().toStdString(), "\t",
                                                   Label_Leitura_Y->text().toLatin1().toStdString()),
                                 x, y, 0};
    if (!Gravacao.record(std::move(point))) {
        dataFileFailed(Texts::FicheiroNaoGrava);
        return; // not on disk: not counted, not marked
    }
    ++NumPontosGravados;
    showCount();
    Gravacao.setMarkOfLast(markRecorded(x, y));
    updateEditActions();
}

// The red dot of a recorded point, at the clicked spot; the pen stays set.
int Form1::markRecorded(float x, float y)
{
    Picture2->setDrawWidth(4);
    Picture2->setForeColor(Red);
    return Picture2->drawDot({x, y});
}

// A blank where a minus sign would stand, then the count. An undo or a redo
// shows the count the same way as a recording.
void Form1::showCount()
{
    Label_PontosGravados->setText(QLatin1Char(' ') + QString::number(NumPontosGravados) + TextoPontosGravados);
}

void Form1::DesfazerPonto_Click()
{
    if (!Option_LeituraDados->isChecked())
        return; // calibrating: nothing to take back, nothing to say
    const pontiva::RecordedPoints::Step step = Gravacao.undo();
    if (const Bilingual *failure = failureOfStep(step.outcome, Texts::DesfazerAlterado, Texts::DesfazerFalhou)) {
        dataFileFailed(*failure);
        return; // the file, the count and the marks stay
    }
    if (step.outcome != pontiva::RecordedPoints::Outcome::Done)
        return;
    --NumPontosGravados;
    showCount();
    Picture2->removeDrawing(step.point.mark);
    updateEditActions();
}

void Form1::RefazerPonto_Click()
{
    if (!Option_LeituraDados->isChecked())
        return;
    const pontiva::RecordedPoints::Step step = Gravacao.redo();
    if (const Bilingual *failure = failureOfStep(step.outcome, Texts::FicheiroNaoGrava, Texts::FicheiroNaoGrava)) {
        dataFileFailed(*failure);
        updateEditActions();
        return;
    }
    if (step.outcome != pontiva::RecordedPoints::Outcome::Done)
        return;
    ++NumPontosGravados;
    showCount();
    Gravacao.setMarkOfLast(markRecorded(step.point.x, step.point.y));
    updateEditActions();
}

void Form1::updateEditActions()
{
    const bool reading = Option_LeituraDados->isChecked();
    DesfazerPonto->setEnabled(reading && Gravacao.canUndo());
    RefazerPonto->setEnabled(reading && Gravacao.canRedo());
}

void Form1::AjustarMarcas_Click(bool on)
{
    Aim.setSnapping(on);
}

void Form1::RepresentaPontos()
{
    Picture2->clearDrawing();
    Picture2->setDrawWidth(5);
    if (Calibracao.CantoDefinido0) {
        Picture2->setForeColor(Red);
        Picture2->drawDot({Calibracao.XCanto0, Calibracao.YCanto0});
    }
    if (Calibracao.CantoDefinido1) {
        Picture2->setForeColor(Green);
        Picture2->drawDot({Calibracao.XCanto1, Calibracao.YCanto1});
    }
    if (Calibracao.CantoDefinido2) {
        Picture2->setForeColor(Blue);
        Picture2->drawDot({Calibracao.XCanto2, Calibracao.YCanto2});
    }
}

void Form1::DesenhaAjuda()
{
    drawCalibrationSketch(*Picture_Desenho);
}

// ---- Data file --------------------------------------------------------------

void Form1::Command3_Click()
{
    const FileDialogRequest request{QString(), QStringLiteral("All files|*.*|Text Files (*.txt)|*.txt"), 2};
    const std::optional<QString> path = Dialogs.saveDataFile(request);
    if (!path)
        return; // cancelled: the file, its name, the labels and the count stay
    closeDataFile();
    NomeFicheiro = *path;
    Label_Ficheiro->setText(TextoFicheiro + NomeFicheiro.right(25));
    NumPontosGravados = 0;
    Label_PontosGravados->setText(QStringLiteral("0") + TextoPontosGravados);
    createDataFile();
    updateEditActions();
}

// A new data set goes after the lines the file holds already: points of an
// earlier run or an earlier picture are never emptied without asking.
void Form1::startDataSet()
{
    if (!Gravacao.startAfterExisting(QFile::encodeName(NomeFicheiro).toStdString()))
        dataFileFailed(Texts::FicheiroNaoAbre);
    updateEditActions();
}

void Form1::createDataFile()
{
    if (!Gravacao.startEmpty(QFile::encodeName(NomeFicheiro).toStdString()))
        dataFileFailed(Texts::FicheiroNaoAbre);
}

void Form1::dataFileFailed(const Bilingual &text)
{
    if (auto chosen = textByBothTests(text))
        Dialogs.message(chosen->arg(NomeFicheiro));
}

void Form1::closeDataFile()
{
    Gravacao.close();
}
