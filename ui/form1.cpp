// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: every control of the tool and the handlers that route its events.
#include "ui/form1.h"

#include "ui/decimalseparator.h"

#include "calibration/positiverule.h"
#include "language/idioma.h"
#include "picture/pdfpages.h"
#include "picture/picturecontent.h"
#include "picture/picturesources.h"
#include "picture/picturefile.h"
#include "picture/pictureformats.h"
#include "picture/pictureloading.h"
#include "ui/accessibility.h"
#include "ui/fieldfeedback.h"
#include "ui/layout.h"
#include "ui/picturemessages.h"
#include "ui/twipscontrols.h"
#include "ui/userdialogs.h"
#include "view/calibrationsketch.h"
#include "view/magnifier.h"
#include "view/picturepanel.h"
#include "view/pointcolours.h"
#include "view/viewportclip.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
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

// Why a click stores nothing.
const Bilingual *textOfRefusal(pontiva::Refusal why)
{
    switch (why) {
    case pontiva::Refusal::NoReadoutYet: return &Texts::PontoSemLeitura;
    case pontiva::Refusal::NoValue: return &Texts::PontoSemValor;
    case pontiva::Refusal::Collinear: return &Texts::PontoColinear;
    case pontiva::Refusal::AlreadyRecorded: // said on the message line instead
    case pontiva::Refusal::None: break;
    }
    return nullptr;
}

} // namespace

Form1::Form1(UserDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent)
    , Dialogs(dialogs)
{
    endProgram = [] { QCoreApplication::quit(); };
    openPictureDevice = [](const QByteArray &path) { return openPictureFileByName(path).device; };
    Loading = std::make_unique<PictureLoading>([this](bool) { return Dialogs.showLoadProgress(); });
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

void Form1::Form_Load()
{
    if (Idioma == QLatin1String("Portugues"))
        PorEmPortugues();
    if (Idioma == QLatin1String("Ingles"))
        PorEmIngles();
    IdiomaIngles->setChecked(Idioma == QLatin1String("Ingles"));
    IdiomaPortugues->setChecked(Idioma == QLatin1String("Portugues"));

    // Start attribute: the crosshair over the bare window surface; the window
    // opens at its design size.
    Central->setCursor(Qt::CrossCursor);
    addMnemonics(menuBar());
    nameForAssistiveTechnology(Central);
    // The design size: the scroll area alone would ask for less.
    resize(Central->width(), Central->height() + menuBar()->sizeHint().height());
    show();

    layOut();

    say({&Texts::LerImagem, {}});
    NomeFicheiro = defaultDataFilePath();
    showFileLabel();
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

void Form1::layOut()
{
    MainLayout design{twipsOf(Frame_Modo), twipsOf(Frame_Calibracao), twipsOf(Frame_Leitura),
                      twipsOf(Frame_Gravacao), twipsOf(Picture1), twipsOf(Picture_Desenho),
                      twipsOf(HScroll1), twipsOf(VScroll1), twipsOf(Label_Mensagem), twipsOf(Lupa)};
    // The outer size, borders, title and menu bar included.
    const QSize outer = frameGeometry().size();
    PartsLayout = layOutMainWindow(design, pixelsToTwips(outer.width()), pixelsToTwips(outer.height()));
    PartsClient = Central->size();
    placeLayout(PartsLayout);
}

void Form1::placeLayout(const MainLayout &l)
{
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

// The message line, chosen by both tests: with neither language it keeps
// what it shows. Kept as said, to be said again in another language.
void Form1::say(const Message &message)
{
    const std::optional<QString> text = messageByBothTests(message);
    if (!text)
        return;
    Said = message;
    Label_Mensagem->setText(*text);
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
    openPicture(QFile::encodeName(*path));
}

void Form1::Ler_Click()
{
    // The two classic entries first, the first chosen; then every format the
    // installed readers decode.
    const FileDialogRequest request{QStringLiteral("File name"),
                                    QStringLiteral("Jpg Files (*.jpg)|*.jpg|Bmp Files (*.bmp)|*.bmp|")
                                        + textPortugueseOrEnglish(Texts::DocumentosPdf) + QStringLiteral(" (*.pdf)|*.pdf|")
                                        + allPicturesFilter(textPortugueseOrEnglish(Texts::TodasImagens)),
                                    1, LastPictureFolder, {}};
    const std::optional<QString> path = Dialogs.openPictureFile(request);
    if (!path)
        return; // cancelled: nothing changes
    openPicture(QFile::encodeName(*path));
}

// The load sequence from decoding on, for the dialog and for a dropped file.
// A picture handed over while another loads is opened after it.
void Form1::openPicture(const QByteArray &path)
{
    if (Loading->busy()) {
        PendingPictures << path;
        return;
    }
    PendingPictures << path;
    while (!PendingPictures.isEmpty()) {
        const QByteArray next = PendingPictures.takeFirst();
        const QFileInfo file(QFile::decodeName(next));
        if (isPdfFile(next)) {
            openPdf(next);
            continue;
        }
        if (openDecoded(decodePictureFile(next), file.fileName())) {
            LastPictureFolder = file.absolutePath(); // the open dialog starts there next time
            PictureName = file.completeBaseName();
            learnPictureContent(fileContentKey(next));
        }
    }
}

// A picture that does not open changes nothing; the message line says why.
bool Form1::openDecoded(const DecodedPicture &decoded, const QString &name)
{
    if (!decoded) {
        if (const auto message = pictureProblemMessage(decoded, name))
            say(*message);
        return false;
    }
    showPicture(decoded.picture);
    return true;
}

DecodedPicture Form1::decodePictureFile(const QByteArray &path)
{
    std::unique_ptr<QIODevice> device = openPictureDevice(path);
    if (!device)
        return {{}, openPictureFileByName(path).problem, {}};
    return Loading->decode(std::move(device));
}

void Form1::openPictureFile(const QString &path)
{
    openPicture(QFile::encodeName(path));
}

void Form1::openPictureNamed(const QByteArray &nativePath)
{
    openPicture(nativePath);
}

void Form1::secondStart(const QByteArray &picture)
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
    const PastedPicture pasted = pictureOnClipboard();
    const QString name = textPortugueseOrEnglish(Texts::ImagemColada);
    PictureName = name;
    if (pasted.file) {
        openPicture(QFile::encodeName(*pasted.file)); // a copied file opens as a dropped one
    } else if (!pasted.encoded.isEmpty()) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(pasted.encoded);
        if (openDecoded(Loading->decode(std::move(buffer)), name))
            learnPictureContent(QtFuture::makeReadyFuture(std::optional(bytesContentKey(pasted.encoded))));
    } else if (!pasted.image.isNull()) {
        if (openDecoded(acceptDecodedPicture(pasted.image), name))
            learnPictureContent(QtFuture::makeReadyFuture(std::optional(pixelsContentKey(pasted.image))));
    } else if (pasted.ownerSilent) {
        say({&Texts::AreaTransferenciaMuda, {}});
    }
}

// The load sequence after the decoding.
void Form1::showPicture(QImage picture)
{
    // The new picture replaces the old one and every mark drawn on it, at 1:1.
    discardCandidates();
    Picture2->setZoom(1);
    PrescaledWanted = false;
    const double zoom = openingZoom(picture.size());
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
    Engine.setPictureSize(Picture2->picture().width(), Picture2->picture().height());
    Inicializacao();
    if (zoom != 1)
        AjustarVista_Click();
    showZoom();
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
    Engine.resetCalibration();
    Label0->setText(TextoNaoCalibrado);
    Label1->setText(TextoNaoCalibrado);
    Label2->setText(TextoNaoCalibrado);
    Option_Canto0->setChecked(true);
    Option_LeituraDados->setEnabled(false);
    showZeroCount();
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
    showHalfPixel(); // only while reading
    say({&Texts::ModoCalibracao, {}});
}

void Form1::Option_LeituraDados_Click()
{
    showModeGroups(pontiva::Mode::Reading);
    applyPositiveRuleX();
    applyPositiveRuleY();
    showHalfPixel();
    say({&Texts::ModoLeitura, {}});
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
    const pontiva::MoveOutcome m =
        Engine.move(referenceInputs(), x, y, Option_LeituraDados->isChecked(), decimalSeparator());
    if (m.xAxisFailed)
        failAxis(1, m.sentBackTo == 1);
    if (m.yAxisFailed)
        failAxis(2, m.sentBackTo == 2);
    if (!m.readoutShown)
        return;
    Picture2->setCursor(Qt::CrossCursor);
    showReading(Label_Leitura_X, m.x);
    showReading(Label_Leitura_Y, m.y);
}

pontiva::ReferenceInputs Form1::referenceInputs() const
{
    return {utf8(Text_X0), utf8(Text_X1), utf8(Text_Y0), utf8(Text_Y2), Check_XLog->isChecked(),
            Check_YLog->isChecked()};
}

// Point 1 for the X axis, point 2 for the Y axis: it counts as not clicked
// again, and a user who was reading is sent back to place it anew.
void Form1::failAxis(int point, bool sendBack)
{
    (point == 1 ? Label1 : Label2)->setText(TextoNaoCalibrado);
    Option_LeituraDados->setEnabled(false);
    calibrationChanged();
    if (sendBack) {
        showMessageBothTests(Texts::ErroCalibracao);
        Option_Calibracao->setChecked(true);
        (point == 1 ? Option_Canto1 : Option_Canto2)->setChecked(true);
    }
}

void Form1::showReading(QLabel *label, const std::optional<std::string> &text)
{
    // Never a number that is not one: the text says so, and a click refuses it.
    if (!text)
        label->setText(textByBothTests(Texts::SemValor).value_or(QStringLiteral("----")));
    else
        label->setText(QString::fromStdString(*text));
}

void Form1::Picture2_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y)
{
    if (Option_Calibracao->isChecked()) {
        QLabel *const statusLabels[] = {Label0, Label1, Label2};
        const int point = selectedPoint();
        if (point >= 0) {
            Engine.place(point, x, y);
            statusLabels[point]->setText(TextoCalibrado);
            RepresentaPontos();
            calibrationChanged();
            updateEditActions();
        }
        if (Engine.calibration().allDefined())
            Option_LeituraDados->setEnabled(true);
    }
    if (Option_LeituraDados->isChecked())
        recordPoint(x, y, AimSnapped);
}

void Form1::recordPoint(float x, float y, bool snapped)
{
    const pontiva::StepOutcome step = Engine.record(x, y, snapped);
    showStep(step, Texts::FicheiroNaoGrava, Texts::FicheiroNaoGrava);
    if (step.kind == pontiva::StepOutcome::Done)
        Engine.setMarksOfLastStep(markRecorded(step.points));
}

// What a recording, an undo or a redo did: the count, the dots and the menu
// follow only what is on storage.
void Form1::showStep(const pontiva::StepOutcome &step, const Bilingual &changed, const Bilingual &failed)
{
    using Kind = pontiva::StepOutcome;
    switch (step.kind) {
    case Kind::Nothing:
        return;
    case Kind::Refused:
        // Reading on past a mark recorded before is common: no box to dismiss.
        if (step.refusal == pontiva::Refusal::AlreadyRecorded)
            say({&Texts::MarcaJaGravada, {}});
        else if (const Bilingual *refusal = textOfRefusal(step.refusal))
            showMessageBothTests(*refusal);
        return;
    case Kind::FileChanged:
        dataFileFailed(changed);
        break;
    case Kind::FileFailed:
        dataFileFailed(failed);
        break;
    case Kind::Done:
        showCount(step.count);
        break;
    }
    updateEditActions();
}

// The red dots of recorded points, at the clicked spots; the pen stays set.
std::vector<int> Form1::markRecorded(const std::vector<pontiva::RecordedPoint> &points)
{
    std::vector<int> marks;
    Picture2->setDrawWidth(4);
    Picture2->setForeColor(Red);
    for (const pontiva::RecordedPoint &p : points)
        marks.push_back(Picture2->drawDot({p.x, p.y}, DrawingLayer::Dots));
    return marks;
}

// A blank where a minus sign would stand, then the count. An undo or a redo
// shows the count the same way as a recording.
void Form1::showCount(std::int64_t count)
{
    CountSigned = true;
    Label_PontosGravados->setText(QLatin1Char(' ') + QString::number(count) + TextoPontosGravados);
}

// A new data set shows its count with no blank before it.
void Form1::showZeroCount()
{
    CountSigned = false;
    Label_PontosGravados->setText(QStringLiteral("0") + TextoPontosGravados);
}

void Form1::DesfazerPonto_Click()
{
    if (!Option_LeituraDados->isChecked())
        return undoPlacement(false);
    const pontiva::StepOutcome step = Engine.undo();
    showStep(step, Texts::DesfazerAlterado, Texts::DesfazerFalhou);
    if (step.kind != pontiva::StepOutcome::Done)
        return;
    for (const pontiva::RecordedPoint &p : step.points)
        Picture2->removeDrawing(p.mark);
    if (step.points.size() > 1) // a group: said, as its recording was
        say({&Texts::GrupoRetirado, {QString::number(step.points.size())}});
}

void Form1::RefazerPonto_Click()
{
    if (!Option_LeituraDados->isChecked())
        return undoPlacement(true);
    const pontiva::StepOutcome step = Engine.redo();
    showStep(step, Texts::FicheiroNaoGrava, Texts::FicheiroNaoGrava);
    if (step.kind != pontiva::StepOutcome::Done)
        return;
    Engine.setMarksOfLastStep(markRecorded(step.points));
    if (step.points.size() > 1)
        say({&Texts::GrupoReposto, {QString::number(step.points.size())}});
}

void Form1::updateEditActions()
{
    const bool reading = Option_LeituraDados->isChecked();
    ExportarConjunto->setEnabled(Engine.count() > 0);
    DesfazerPonto->setEnabled(reading ? Engine.canUndo() : Engine.canUndoPlacement());
    RefazerPonto->setEnabled(reading ? Engine.canRedo() : Engine.canRedoPlacement());
}

void Form1::AjustarMarcas_Click(bool on)
{
    Aim.setSnapping(on);
}

void Form1::RepresentaPontos()
{
    const pontiva::CalibrationState &points = Engine.calibration();
    Picture2->clearDrawing();
    Picture2->setDrawWidth(5);
    if (points.CantoDefinido0) {
        Picture2->setForeColor(Red);
        Picture2->drawDot({points.XCanto0, points.YCanto0});
    }
    if (points.CantoDefinido1) {
        Picture2->setForeColor(Green);
        Picture2->drawDot({points.XCanto1, points.YCanto1});
    }
    if (points.CantoDefinido2) {
        Picture2->setForeColor(Blue);
        Picture2->drawDot({points.XCanto2, points.YCanto2});
    }
}

void Form1::DesenhaAjuda()
{
    drawCalibrationSketch(*Picture_Desenho);
}

// ---- Data file --------------------------------------------------------------

void Form1::Command3_Click()
{
    const FileDialogRequest request{QString(), QStringLiteral("All files|*.*|Text Files (*.txt)|*.txt"), 2, {}, {}};
    const std::optional<QString> path = Dialogs.saveDataFile(request);
    if (!path)
        return; // cancelled: the file, its name, the labels and the count stay
    closeDataFile();
    NomeFicheiro = *path;
    showFileLabel();
    showZeroCount();
    createDataFile();
    updateEditActions();
}

// A new data set goes after the lines the file holds already: points of an
// earlier run or an earlier picture are never emptied without asking.
void Form1::startDataSet()
{
    if (!Engine.startDataSet(QFile::encodeName(NomeFicheiro).toStdString()))
        dataFileFailed(Texts::FicheiroNaoAbre);
    updateEditActions();
}

void Form1::createDataFile()
{
    if (!Engine.startEmptyDataSet(QFile::encodeName(NomeFicheiro).toStdString()))
        dataFileFailed(Texts::FicheiroNaoAbre);
}

void Form1::dataFileFailed(const Bilingual &text)
{
    if (auto chosen = textByBothTests(text))
        Dialogs.message(chosen->arg(NomeFicheiro));
}

void Form1::closeDataFile()
{
    discardCandidates();
    Engine.closeDataFile();
}
