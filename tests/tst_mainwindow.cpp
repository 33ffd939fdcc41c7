// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's shell: layout, languages, exit question, About box.
#include "formfixture.h"
#include "ui/frmabout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>
#include <private/qguiapplication_p.h>

class tst_MainWindow : public QObject
{
    Q_OBJECT
private slots:
    void layoutOfTheTopRowAndViewport();
    void resizingMovesNothing();
    void exitQuestion_data();
    void exitQuestion();
    void closeFromCodeIsNotAsked();
    void closeAfterACancelledLogoutAsks();
    void messageLineNeverCoversTheScrollBar();
    void languages_data();
    void languages();
    void languageChosenWhileRunning();
    void aboutBox_data();
    void aboutBox();
    void creditsOpensTheAboutBoxEachTime();
};

void tst_MainWindow::layoutOfTheTopRowAndViewport()
{
    FormFixture f;
    auto twips = [&](const char *name) { return Form1::twipsOf(f.get<QWidget>(name)); };
    QCOMPARE(twips("Frame_Modo").left, 250.0);
    QCOMPARE(twips("Frame_Calibracao").left, 2815.0);
    QCOMPARE(twips("Frame_Leitura").left, 2815.0);
    QCOMPARE(twips("Picture_Desenho").left, 7150.0);
    QCOMPARE(twips("Frame_Gravacao").left, 7420.0);
    QCOMPARE(twips("Picture1").top, 2035.0);
    QCOMPARE(twips("Picture1").left, 250.0);

    const QSize outer = f.form->frameGeometry().size();
    const TwipsRect viewport = twips("Picture1");
    QCOMPARE(viewport.width, outer.width() * 15.0 - 1000);
    QCOMPARE(viewport.height, outer.height() * 15.0 - 2035 - 1350);

    // The bars are 5000 twips long whatever the viewport, flush with its edges.
    const TwipsRect h = twips("HScroll1"), v = twips("VScroll1");
    QCOMPARE(h.width, 5000.0);
    QCOMPARE(v.height, 5000.0);
    QCOMPARE(h.left + h.width, viewport.left + viewport.width);
    QCOMPARE(v.top + v.height, viewport.top + viewport.height);
    QCOMPARE(h.top, viewport.top + viewport.height + 157.5);
    QCOMPARE(twips("Label_Mensagem").top, h.top);

    // Pixels follow the twips at 15 to the pixel.
    QCOMPARE(f.get<QWidget>("Frame_Calibracao")->x(), 188); // 2815 / 15 rounded
    QCOMPARE(f.get<QWidget>("Picture1")->width(), qRound(viewport.width / 15));
    // The icon arrives once the window has painted.
    QTRY_VERIFY(!f.form->windowIcon().isNull());
    QCOMPARE(f.form->windowIcon().availableSizes().value(0), QSize(64, 64));
}

void tst_MainWindow::resizingMovesNothing()
{
    FormFixture f;
    QWidget *viewport = f.get<QWidget>("Picture1");
    QWidget *bar = f.get<QWidget>("HScroll1");
    const QRect before = viewport->geometry(), barBefore = bar->geometry();
    f.form->resize(f.form->width() + 300, f.form->height() + 200);
    f.form->showMaximized();
    QTest::qWait(1);
    QCOMPARE(viewport->geometry(), before);
    QCOMPARE(bar->geometry(), barBefore);
}

void tst_MainWindow::exitQuestion_data()
{
    QTest::addColumn<QString>("idioma");
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("title");
    const QString en = QStringLiteral("Do you wish to exit ?"), enT = QStringLiteral("Warning !");
    const QString pt = QStringLiteral("Deseja fechar o programa ?"), ptT = QStringLiteral("Atenção !");
    QTest::newRow("menu, no") << "Ingles" << true << false << en << enT;
    QTest::newRow("menu, yes") << "Ingles" << true << true << en << enT;
    QTest::newRow("close box, no") << "Ingles" << false << false << en << enT;
    QTest::newRow("close box, yes") << "Ingles" << false << true << en << enT;
    QTest::newRow("portuguese close box") << "Portugues" << false << false << pt << ptT;
    QTest::newRow("other language asks in English") << "ingles" << true << false << en << enT;
}

void tst_MainWindow::exitQuestion()
{
    QFETCH(QString, idioma);
    QFETCH(bool, fromMenu);
    QFETCH(bool, answer);
    FormFixture f(idioma);
    f.dialogs.questionAnswers.push_back(answer);
    if (fromMenu)
        f.get<QAction>("Sair")->trigger();
    else
        // What the window manager's close box delivers: a spontaneous close.
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
            f.form->windowHandle());
    QCOMPARE(f.dialogs.questions.size(), 1);
    QTEST(f.dialogs.questions.first().first, "question");
    QTEST(f.dialogs.questions.first().second, "title");
    QCOMPARE(f.endCount, answer ? 1 : 0);
    QCOMPARE(f.form->isVisible(), !answer);
}

void tst_MainWindow::closeFromCodeIsNotAsked()
{
    FormFixture f;
    f.form->close();
    QVERIFY(f.dialogs.questions.isEmpty());
    QVERIFY(!f.form->isVisible());
}

// The flag that a session manager's save request sets used to stay for good,
// so after a cancelled logout the close box ended the program unasked.
void tst_MainWindow::closeAfterACancelledLogoutAsks()
{
    FormFixture f;
    auto *app = QGuiApplicationPrivate::instance();
    QVERIFY(app->session_manager);
    app->commitData(); // the desktop asks to save: a logout begins
    QCoreApplication::processEvents(); // ... and is cancelled
    f.dialogs.questionAnswers.push_back(false);
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(f.form->windowHandle());
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.endCount, 0);
}

// With a wide font the message ran over the horizontal bar and took its
// clicks. Whatever the font, the bar's arrows and track stay reachable.
void tst_MainWindow::messageLineNeverCoversTheScrollBar()
{
    FormFixture f;
    auto *message = f.get<QLabel>("Label_Mensagem");
    // DejaVu alone, as on a minimal desktop, and wider still.
    QFont wide(QStringLiteral("DejaVu Sans"));
    wide.setPointSizeF(9);
    wide.setLetterSpacing(QFont::PercentageSpacing, 115);
    wide.setBold(true);
    message->setFont(wide);
    f.load(f.makePicture(QStringLiteral("wide.bmp"), 3000, 3000)); // shows the bars and a long message
    auto *bar = f.get<QScrollBar>("HScroll1");
    QVERIFY(bar->isVisible());
    QVERIFY(message->text().startsWith(QStringLiteral("To calibrate")));
    QVERIFY(!message->geometry().intersects(bar->geometry()));
    QWidget *client = f.get<QWidget>("Form1Client");
    const QRect r = bar->geometry();
    for (const QPoint p : {QPoint(r.left() + 2, r.center().y()), QPoint(r.center().x(), r.center().y()),
                           QPoint(r.right() - 2, r.center().y())})
        QCOMPARE(client->childAt(p), static_cast<QWidget *>(bar));
    // The whole message is still there to read, on more than one line.
    QVERIFY(message->wordWrap());
    QVERIFY(message->height() > QFontMetrics(wide).height());
    QVERIFY(message->geometry().bottom() < client->height());
}

void tst_MainWindow::languages_data()
{
    QTest::addColumn<QString>("idioma");
    QTest::newRow("Ingles") << "Ingles";
    QTest::newRow("Portugues") << "Portugues";
    QTest::newRow("neither literal") << "English";
    QTest::newRow("lower case counts as neither") << "ingles";
}

void tst_MainWindow::languages()
{
    QFETCH(QString, idioma);
    FormFixture f(idioma);
    const bool en = idioma == QLatin1String("Ingles");
    const bool pt = idioma == QLatin1String("Portugues");

    // The users' own texts, typos included, written out here rather than
    // taken from the program's tables.
    struct Caption {
        const char *control, *portugues, *ingles;
    };
    static const Caption captions[] = {
        {"Option_Calibracao", "Calibração", "Calibration"}, {"Option_LeituraDados", "Leitura de dados", "Read data"},
        {"Frame_Modo", "Modo", "Mode"}, {"Frame_Calibracao", "Calibração", "Calibration"},
        {"Option_Canto0", "Ponto 0", "Point 0"}, {"Option_Canto1", "Ponto 1", "Point 1"},
        {"Option_Canto2", "Ponto 2", "Point 2"}, {"Frame_Leitura", "Leitura", "Data"},
        {"Frame6", "Tipo de coordenadas", "Coordinate types"}, {"Check_XLog", "X logarítmico", "Logarithmic X"},
        {"Check_YLog", "Y logarítmico", "Logarithmic Y"}, {"Frame4", "Coordenadas locais", "Local coordinates"},
        {"Frame_Gravacao", "Gravação de dados", "Data storage"}, {"Command3", "Escolher Ficheiro", "File"},
        {"Ficheiro", "Ficheiro", "File"}, {"Ler", "Ler", "Load"}, {"Sair", "Sair", "Exit"},
        {"Editar", "Editar", "Edit"}, {"DesfazerPonto", "Desfazer ponto", "Undo point"},
        {"ColarImagem", "Colar imagem", "Paste picture"}, {"Ver", "Ver", "View"},
        {"AjustarMarcas", "Ajustar às marcas", "Snap to marks"},
    };
    for (const Caption &caption : captions) {
        const QString expected = QString::fromUtf8(en ? caption.ingles : caption.portugues);
        QObject *control = f.form->findChild<QObject *>(QLatin1String(caption.control));
        QVERIFY2(control, caption.control);
        QString shown;
        if (auto *group = qobject_cast<QGroupBox *>(control))
            shown = group->title();
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            shown = button->text();
        else if (auto *menu = qobject_cast<QMenu *>(control))
            shown = menu->title().remove(QLatin1Char('&')); // a mnemonic marks a letter
        else if (auto *action = qobject_cast<QAction *>(control))
            shown = action->text().remove(QLatin1Char('&'));
        QCOMPARE(shown, expected);
    }
    static const Caption tooltips[] = {
        {"Option_Calibracao", "Fazer a calibração do gráfico", "Perfom the graphics calibration"},
        {"Option_LeituraDados", "Analisar o gráfico", "Analyse the graphic"},
        {"Text_X1", "Coordenada X do ponto 1", "X coordinate of point 1"},
        {"Text_Y2", "Coordenada Y do ponto 2", "Y coordinate of point 2"},
        {"Label1", "Estado do ponto 1", "State of point 1"},
        {"Label_Leitura_Y", "Coordenada Y na localização do cursor", "Y coordinate at the mouse pointer location"},
        {"Check_YLog", "Activar se o eixo T tiver coordenadas logarítmicas",
         "Activate if the Y-axis has logarithmic coordinates"},
        {"Command3", "Pressione para escolher o ficheiro pra gravação de dados", "Press to choose file to store data"},
    };
    for (const Caption &tip : tooltips) {
        const QString shown = f.get<QWidget>(tip.control)->toolTip();
        QCOMPARE(shown, en ? QString::fromUtf8(tip.ingles) : pt ? QString::fromUtf8(tip.portugues) : QString());
    }

    // Untouched in every language.
    QCOMPARE(f.get<QLabel>("Label7")->text(), QStringLiteral("X"));
    QCOMPARE(f.get<QLabel>("Label_Y0")->text(), QStringLiteral("Y"));
    QCOMPARE(f.get<QLabel>("Label_Leitura_X")->text(), QStringLiteral("----"));
    QCOMPARE(f.get<QMenu>("Info")->title(), QStringLiteral("&Info"));
    QCOMPARE(f.get<QAction>("Credits")->text(), QStringLiteral("&Credits"));

    const QString path = f.form->NomeFicheiro;
    QString message = QStringLiteral("Mensagem :"), file = path, state, count = QStringLiteral("0");
    if (en) {
        message = QStringLiteral("Read an image file containing the graphic");
        file = QStringLiteral("File: ") + path;
        state = QStringLiteral("Not calibrated");
        count = QStringLiteral("0 saved points");
    } else if (pt) {
        message = QStringLiteral("Leia um ficheiro de imagem contendo o gráfico");
        file = QStringLiteral("Ficheiro: ") + path;
        state = QStringLiteral("Não calibrado");
        count = QStringLiteral("0 pontos gravados");
    }
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(), message);
    QCOMPARE(f.get<QLabel>("Label_Ficheiro")->text(), file);
    QCOMPARE(f.get<QLabel>("Label0")->text(), state);
    QCOMPARE(f.get<QLabel>("Label2")->text(), state);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), count);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Pontiva"));
}

// View > Language does what start-up does in that language, and says again
// every text composed since.
void tst_MainWindow::languageChosenWhileRunning()
{
    FormFixture f;
    f.calibrate();
    f.moveTo(50, 30);
    f.click(50, 30);
    f.get<QAction>("IdiomaPortugues")->trigger();
    QCOMPARE(Idioma, QStringLiteral("Portugues"));
    QCOMPARE(f.get<QRadioButton>("Option_LeituraDados")->text(), QStringLiteral("Leitura de dados"));
    QCOMPARE(f.get<QGroupBox>("Frame_Gravacao")->title(), QStringLiteral("Gravação de dados"));
    QCOMPARE(f.get<QPushButton>("Command3")->toolTip(),
             QStringLiteral("Pressione para escolher o ficheiro pra gravação de dados"));
    QCOMPARE(f.get<QMenu>("Ficheiro")->title(), QStringLiteral("&Ficheiro"));
    QCOMPARE(f.get<QLabel>("Label0")->text(), QStringLiteral("Calibrado"));
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 1 pontos gravados"));
    QVERIFY(f.get<QLabel>("Label_Ficheiro")->text().startsWith(QStringLiteral("Ficheiro: ")));
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(),
             QStringLiteral("Clicando na imagem, as coordenadas dos pontos seleccionados são gravadas no ficheiro"));
    QVERIFY(f.get<QAction>("IdiomaPortugues")->isChecked());

    f.get<QAction>("IdiomaIngles")->trigger();
    QCOMPARE(f.get<QRadioButton>("Option_LeituraDados")->text(), QStringLiteral("Read data"));
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 1 saved points"));
    QCOMPARE(f.get<QMenu>("Ficheiro")->title(), QStringLiteral("&File"));
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(),
             QStringLiteral("By clicking on the image, the points coordinates are stored in the specified file"));
}

void tst_MainWindow::aboutBox_data()
{
    QTest::addColumn<QString>("idioma");
    QTest::addColumn<QString>("version");
    QTest::newRow("English") << "Ingles" << "Version 1.0.0";
    QTest::newRow("Portuguese") << "Portugues" << "Versão 1.0.0";
    QTest::newRow("neither literal is English") << "Francais" << "Version 1.0.0";
}

void tst_MainWindow::aboutBox()
{
    QFETCH(QString, idioma);
    Idioma = idioma;
    for (int opening = 0; opening < 2; ++opening) { // made anew, the same each time
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(about.lblTitle->text(), QStringLiteral("Pontiva"));
        QTEST(about.lblVersion->text(), "version");
        QCOMPARE(frmAbout::credits().split(QStringLiteral("\r\n")).size(), 4);
        QCOMPARE(about.Text1->toPlainText().split(QLatin1Char('\n')).size(), 4);
        QVERIFY(about.Text1->isReadOnly());
        QVERIFY(about.cmdOK->isDefault());
        QVERIFY(!about.Picture1->pixmap().isNull());
        QCOMPARE(about.Picture1->pixmap().size(), QSize(64, 64));
        QCOMPARE(about.size(), QSize(382, 211));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key_Escape); // Esc closes it like OK
        QVERIFY(!about.isVisible());
    }
}

void tst_MainWindow::creditsOpensTheAboutBoxEachTime()
{
    FormFixture f;
    f.get<QAction>("Credits")->trigger();
    f.get<QAction>("Credits")->trigger();
    QCOMPARE(f.dialogs.aboutCount, 2);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
