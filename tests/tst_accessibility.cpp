// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window for keyboards, screen readers and small screens.
#include "formfixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>

class tst_Accessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasAName_data();
    void everyControlHasAName();
    void menusHaveMnemonics();
    void windowShrinksWithScrollBars();
};

void tst_Accessibility::everyControlHasAName_data()
{
    QTest::addColumn<QString>("idioma");
    QTest::newRow("English") << "Ingles";
    QTest::newRow("Portuguese") << "Portugues";
}

void tst_Accessibility::everyControlHasAName()
{
    QFETCH(QString, idioma);
    FormFixture f(idioma);
    QWidget *client = f.get<QWidget>("Form1Client");
    QList<QWidget *> controls = client->findChildren<QWidget *>();
    controls.prepend(client);
    int named = 0;
    for (QWidget *control : controls) {
        if (control->objectName().isEmpty())
            continue; // internals of Qt's own widgets
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        ++named;
    }
    QVERIFY(named >= 40);
    // A screen reader must tell the six coordinate fields apart.
    QSet<QString> fields;
    for (const char *name : {"Text_X0", "Text_Y0", "Text_X1", "Text_Y1", "Text_X2", "Text_Y2"})
        fields << f.get<QLineEdit>(name)->accessibleName();
    QCOMPARE(fields.size(), 6);
    QVERIFY(!f.picture()->accessibleName().isEmpty());
    if (idioma == QLatin1String("Portugues"))
        QCOMPARE(f.get<QLineEdit>("Text_X1")->accessibleName(), QStringLiteral("Coordenada X do ponto 1"));
    else
        QCOMPARE(f.get<QLineEdit>("Text_X1")->accessibleName(), QStringLiteral("X coordinate of point 1"));
}

// Alt and a letter opens each menu; no two items of one menu share a letter.
void tst_Accessibility::menusHaveMnemonics()
{
    for (const QString &idioma : {QStringLiteral("Ingles"), QStringLiteral("Portugues")}) {
        FormFixture f(idioma);
        QSet<QChar> titles;
        for (QAction *menuAction : f.form->menuBar()->actions()) {
            QMenu *menu = menuAction->menu();
            const int at = menu->title().indexOf(QLatin1Char('&'));
            QVERIFY2(at >= 0, qPrintable(menu->title()));
            titles << menu->title().at(at + 1).toLower();
            QSet<QChar> items;
            int actions = 0;
            for (QAction *item : menu->actions()) {
                if (item->isSeparator())
                    continue;
                ++actions;
                const int mark = item->text().indexOf(QLatin1Char('&'));
                QVERIFY2(mark >= 0, qPrintable(item->text()));
                items << item->text().at(mark + 1).toLower();
            }
            QCOMPARE(items.size(), actions);
        }
        QCOMPARE(titles.size(), f.form->menuBar()->actions().size());
    }
}

// On a 1366 x 768 laptop the bottom of the window lay below the screen: now
// the window shrinks, and scroll bars reach the rest, laid out as designed.
void tst_Accessibility::windowShrinksWithScrollBars()
{
    FormFixture f;
    QWidget *client = f.get<QWidget>("Form1Client");
    auto *scroller = qobject_cast<QScrollArea *>(f.form->centralWidget());
    QVERIFY(scroller);
    const QSize design = client->size();
    const QRect message = f.get<QWidget>("Label_Mensagem")->geometry();
    QVERIFY(!scroller->horizontalScrollBar()->isVisible());
    QVERIFY(!scroller->verticalScrollBar()->isVisible());
    f.form->resize(design.width() - 200, design.height() - 150);
    QTRY_COMPARE(f.form->width(), design.width() - 200);
    QTRY_VERIFY(scroller->verticalScrollBar()->isVisible());
    QVERIFY(scroller->horizontalScrollBar()->isVisible());
    QCOMPARE(client->size(), design);
    QCOMPARE(f.get<QWidget>("Label_Mensagem")->geometry(), message);
    // The bottom is reachable.
    scroller->verticalScrollBar()->setValue(scroller->verticalScrollBar()->maximum());
    const QPoint bottom = client->mapTo(scroller->viewport(), QPoint(0, design.height() - 1));
    QVERIFY(bottom.y() < scroller->viewport()->height());
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
