// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: every control of the tool and the handlers that route its events.
#pragma once

// Map of the window
//   Menus        Ler_Click (open a picture), ColarImagem_Click (paste one),
//                ExportarConjunto_Click (the data set as CSV),
//                Sair_Click (exit question), Credits_Click (About box);
//                Form_QueryUnload guards the close box; dropEvent and
//                secondStart open a picture as the dialog would.
//   Mode         Option_Calibracao_Click, Option_LeituraDados_Click show the
//                groups of each mode.
//   Calibration  Option_Canto0..2_Click choose the point a click places;
//                Text_X0/Y0_Change mirror point 0 into the shared fields;
//                Picture2_MouseDown (calibrating) stores the point and
//                RepresentaPontos redraws the markers.
//   Reading      Check_XLog/YLog_Click guard log axes; Picture2_MouseMove
//                shows the readout the reading engine computes;
//                Picture2_MouseDown (reading) records it in the data file;
//                Command3_Click chooses another data file.
//   Edit menu    DesfazerPonto_Click / RefazerPonto_Click take the last point
//                of the data set out of the data file and put it back, or
//                while calibrating undoPlacement moves a reference point back;
//                RestaurarCalibracao_Click puts back the calibration
//                rememberCalibration stored for this picture's content.
//   Extraction   (form1extraction.cpp) Shift+click or ProcurarMarcas
//                finds every mark like one, Ctrl+click or SeguirCurva
//                traces a curve, on PointSearch's worker; the points wait
//                as candidates until GravarEncontrados (Return) records
//                them as one step or DescartarEncontrados (Esc) drops them.
//   View menu    AjustarMarcas_Click (F3) snaps readings to marks and
//                crossings; GrelhaCalibracao_Click (Ctrl+G) draws the grid
//                of round values (updateGrid); showHalfPixel writes in the
//                magnifier what half a pixel is worth; Lupa4/Lupa8 choose
//                the magnifier's enlargement;
//                IdiomaIngles/IdiomaPortugues run applyLanguage.
//   Viewport     HScroll1_Change/VScroll1_Change move Picture2 inside Picture1;
//                AmpliarVista/ReduzirVista/TamanhoReal/AjustarVista and
//                Ctrl+wheel zoom it (zoomTo keeps a picture point in place);
//                fillWindow grows it with the window while EncherJanela is on.
//
// One click while reading: PicturePanel reports the press in logical picture
// coordinates (or the arrow keys' fine position and Space) -> ReadingAim
// moves it onto a mark when snapping is on -> Picture2_MouseDown ->
// ReadingEngine::record writes the readout as one line to the data file and
// syncs it to disk -> the count label changes -> a red dot marks the spot.

#include "calibration/calibrationworkflow.h"
#include "extraction/candidateset.h"
#include "language/languagetexts.h"
#include "reading/readingengine.h"
#include "ui/layout.h"
#include "ui/twips.h"
#include "ui/userdialogs.h"
#include "view/readingaim.h"

#include <QFuture>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QIODevice;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class Magnifier;
class PictureLoading;
class PicturePanel;
class PointSearch;
struct PointSearchResult;
class UserDialogs;
class ViewportClip;
struct DecodedPicture;

class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~Form1() override;

    // Runs once, right after construction: captions, show, layout, start state.
    void Form_Load();
    // A picture named on the command line: loaded as if chosen in the open dialog.
    void openPictureFile(const QString &path);
    // The same by the name's own bytes (a name that is not valid text).
    void openPictureNamed(const QByteArray &nativePath);
    // Another start of the program: this window comes forward and loads the
    // picture it was given, as if dropped on it.
    void secondStart(const QByteArray &picture);
    // "Ingles" or "Portugues" from now on, every text said again in it.
    void applyLanguage(const QString &idioma);

    // How the program ends once the user confirmed; tests replace it.
    std::function<void()> endProgram;
    // How a picture file is opened for decoding; tests put a slow one in.
    // `path` is the file's name as bytes.
    std::function<std::unique_ptr<QIODevice>(const QByteArray &path)> openPictureDevice;

    // Window state, under the names the whole program uses. The calibration,
    // the data set and its count live in the reading engine.
    bool ImagemCarregada = false;
    QString NomeFicheiro;
    QString TextoCalibrado, TextoNaoCalibrado, TextoPontosGravados, TextoFicheiro;
    const pontiva::ReadingEngine &engine() const { return Engine; }
    pontiva::ReadingEngine &engine() { return Engine; }

    // The design-unit geometry a control was given, in twips.
    static TwipsRect twipsOf(const QWidget *control);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    void createMenus();
    void connectHandlers();
    void PorEmIngles();
    void PorEmPortugues();
    void layOut();
    void placeLayout(const MainLayout &layout);
    void fillWindow();
    void say(const Message &message);
    void fitMessageLine();
    void showMessageBothTests(const Bilingual &text);
    bool askExitConfirmation();
    void terminate();

    // Menus and closing.
    void Ler_Click();
    void openPicture(const QByteArray &nativePath);
    DecodedPicture decodePictureFile(const QByteArray &nativePath);
    bool openDecoded(const DecodedPicture &decoded, const QString &name);
    void openPdf(const QByteArray &nativePath);
    void showPicture(QImage picture);
    void ColarImagem_Click();
    void Sair_Click();
    void DesfazerPonto_Click();
    void RefazerPonto_Click();
    void updateEditActions();
    void Credits_Click();
    void Form_QueryUnload(bool &cancel, int unloadMode);

    // Viewport.
    void HScroll1_Change();
    void VScroll1_Change();

    // Calibration workflow.
    void Inicializacao();
    void Option_Canto0_Click();
    void Option_Canto1_Click();
    void Option_Canto2_Click();
    void Text_X0_Change();
    void Text_Y0_Change();
    void Check_XLog_Click();
    void Check_YLog_Click();
    void Option_Calibracao_Click();
    void Option_LeituraDados_Click();
    void applyPositiveRuleX();
    void applyPositiveRuleY();
    int selectedPoint() const;
    void applyEditableFields(int point);
    void showModeGroups(pontiva::Mode mode);

    // Picture events and drawing.
    void Picture2_MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, float x, float y);
    void Picture2_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void AjustarMarcas_Click(bool on);
    void RepresentaPontos();

    // Checking the calibration (form1checks.cpp).
    pontiva::LogicalRect visibleLogical() const;
    void GrelhaCalibracao_Click(bool on);
    void updateGrid();
    void showHalfPixel();
    void undoPlacement(bool redo);
    void calibrationChanged();
    // Remembered calibrations (form1checks.cpp).
    void learnPictureContent(QFuture<std::optional<std::uint64_t>> key);
    void rememberCalibration();
    void RestaurarCalibracao_Click();
    // Export (form1export.cpp).
    void ExportarConjunto_Click();
    // Zoom (form1zoom.cpp).
    void zoomTo(double zoom, QPoint anchor);
    void zoomBy(int steps, QPoint anchor);
    QPoint viewportCentre() const;
    double openingZoom(QSize picture) const;
    void showZoom();
    void AmpliarVista_Click();
    void ReduzirVista_Click();
    void TamanhoReal_Click();
    void AjustarVista_Click();
    void DesenhaAjuda();

    // Finding many points at once (form1extraction.cpp).
    void createExtractionMenus();
    void connectExtraction();
    bool extractionPress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const ReadingPosition &at);
    void extractionDrag(Qt::MouseButtons buttons, float x, float y);
    void extractionRelease(float x, float y);
    void startMarkSearch(QPointF example, const std::optional<QRectF> &area);
    void startTrace(QPointF at);
    void searchFinished(const PointSearchResult &result);
    void ProcurarMarcas_Click();
    void SeguirCurva_Click();
    void PassoCurva_Click();
    void GravarEncontrados_Click();
    void DescartarEncontrados_Click();
    void discardCandidates();
    void updateExtractionActions();

    // Readout and data file.
    pontiva::ReferenceInputs referenceInputs() const;
    void failAxis(int point, bool sendBack);
    void showReading(QLabel *label, const std::optional<std::string> &text);
    void Command3_Click();
    void startDataSet();
    void createDataFile();
    void dataFileFailed(const Bilingual &text);
    void closeDataFile();
    void recordPoint(float x, float y, bool snapped);
    void showStep(const pontiva::StepOutcome &step, const Bilingual &changed, const Bilingual &failed);
    void showCount(std::int64_t count);
    void showZeroCount();
    void showFileLabel();
    std::vector<int> markRecorded(const std::vector<pontiva::RecordedPoint> &points);

    UserDialogs &Dialogs;
    Message Said; // what the message line shows
    bool CountSigned = false; // the count label shows " N", not "0", after a new data set
    pontiva::ReadingEngine Engine;
    std::unique_ptr<PictureLoading> Loading;
    QByteArrayList PendingPictures; // handed over while a picture was loading
    QString LastPictureFolder;      // of the last picture opened in this run
    ReadingAim Aim;
    PointSearch *Search = nullptr;
    pontiva::CandidateSet Candidates;
    TraceStep Step;
    enum class Armed { None, FindMarks, TraceCurve } ArmedTool = Armed::None; // by the Edit menu, for the next click
    std::optional<QPointF> DragStart; // picture pixels, while a Shift+drag may be drawing a search area
    std::unique_ptr<LoadProgress> SearchProgress;
    QAction *ProcurarMarcas = nullptr, *SeguirCurva = nullptr, *PassoCurva = nullptr, *GravarEncontrados = nullptr,
            *DescartarEncontrados = nullptr;
    bool AimSnapped = false; // the press being handled was moved onto a mark
    bool IconSet = false;
    bool Ending = false;        // a confirmed exit is closing the window
    bool SessionEnding = false; // the desktop session asks every window to close

    QScrollArea *Scroller = nullptr; // shows scroll bars only on a screen smaller than the design
    QWidget *Central = nullptr;
    QGroupBox *Frame_Leitura, *Frame6, *Frame4, *Frame_Calibracao, *Frame_Modo, *Frame_Gravacao;
    QCheckBox *Check_XLog, *Check_YLog;
    QLabel *Label_Leitura_Y, *Label_Leitura_X, *Label6, *Label7;
    QLineEdit *Text_Y2, *Text_X2, *Text_Y1, *Text_X1, *Text_Y0, *Text_X0;
    QRadioButton *Option_Canto2, *Option_Canto1, *Option_Canto0;
    QLabel *Label1, *Label2, *Label0, *Label_X0, *Label_Y0;
    QFrame *Picture1;
    ViewportClip *Picture1Client;
    PicturePanel *Picture2;
    QScrollBar *VScroll1, *HScroll1;
    QRadioButton *Option_LeituraDados, *Option_Calibracao;
    QPushButton *Command3;
    QLabel *Label_PontosGravados, *Label_Ficheiro;
    PicturePanel *Picture_Desenho;
    Magnifier *Lupa;
    QLabel *Label_Mensagem;
    QMenu *Ficheiro, *Editar, *Ver, *Info;
    QAction *Ler, *Sair, *DesfazerPonto, *RefazerPonto, *ColarImagem, *AjustarMarcas, *Lupa4, *Lupa8, *Credits;
    QMenu *MenuIdioma;
    QAction *IdiomaIngles, *IdiomaPortugues;
    QAction *GrelhaCalibracao = nullptr;
    QAction *RestaurarCalibracao = nullptr;
    QAction *ExportarConjunto = nullptr;
    QAction *ZoomAtual = nullptr, *AmpliarVista = nullptr, *ReduzirVista = nullptr, *TamanhoReal = nullptr,
            *AjustarVista = nullptr, *AjustarAoAbrir = nullptr;
    bool PrescaledWanted = false; // halved copies of this picture were asked for
    QAction *EncherJanela = nullptr;
    MainLayout PartsLayout;  // the layout computed at start
    QSize PartsClient;       // the client area's size with it
    QString PictureName; // the shown picture's file name, or the pasted picture's
    std::optional<std::uint64_t> PictureContent; // the shown picture's, once known
    int ContentGeneration = 0;                   // which load a key being computed belongs to
};
