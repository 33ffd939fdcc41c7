// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: icon, name, version and credits.
#include "ui/frmabout.h"

#include "language/languagetexts.h"
#include "ui/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

static void placeInTwips(QWidget *w, double left, double top, double width, double height)
{
    w->setGeometry(TwipsRect{left, top, width, height}.toPixels());
}

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Sobre Pontiva"));
    setFixedSize(twipsToPixels(5730), twipsToPixels(3165));
    setModal(true);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    placeInTwips(Picture1, 180, 240, 1155, 1095);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/pontiva/icon-64.png")));

    lblTitle = new QLabel(QStringLiteral("Application Title"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    placeInTwips(lblTitle, 1440, 240, 3885, 480);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel(QStringLiteral("Versão:"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    placeInTwips(lblVersion, 1440, 780, 3885, 225);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    placeInTwips(Text1, 1440, 1080, 3735, 1425);
    Text1->setReadOnly(true);
    Text1->setFrameShape(QFrame::NoFrame);
    Text1->setBackgroundRole(QPalette::Button);
    QPalette textPalette = Text1->palette();
    textPalette.setColor(QPalette::Base, textPalette.color(QPalette::Button));
    Text1->setPalette(textPalette);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    placeInTwips(cmdOK, 4245, 2730, 1260, 345);
    cmdOK->setDefault(true); // Enter presses it; Esc rejects the dialog, which is the same
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Form_Load();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString frmAbout::credits()
{
    return QStringLiteral("The Pontiva developers\r\n"
                          "Pontiva project\r\n"
                          "Free software, made for everyone\r\n"
                          "Contact: the project's issue tracker");
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("Info"));
    lblVersion->setText(textPortugueseOrEnglish(Texts::Versao)
                        + QStringLiteral("%1.%2.%3")
                              .arg(PONTIVA_VERSION_MAJOR)
                              .arg(PONTIVA_VERSION_MINOR)
                              .arg(PONTIVA_VERSION_PATCH));
    lblTitle->setText(QStringLiteral("Pontiva"));
    // The dialog shows lines; the text itself keeps its CR LF line ends.
    Text1->setPlainText(credits().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // The etched separator above the button.
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(QPointF(90 / TwipsPerPixel, 2594 / TwipsPerPixel),
                     QPointF(5654 / TwipsPerPixel, 2594 / TwipsPerPixel));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(QPointF(105 / TwipsPerPixel, 2625 / TwipsPerPixel),
                     QPointF(5654 / TwipsPerPixel, 2625 / TwipsPerPixel));
}
