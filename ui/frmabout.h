// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: icon, name, version and credits.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *Picture1;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QPlainTextEdit *Text1;
    QPushButton *cmdOK;

    static QString credits();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_Load();
    void cmdOK_Click();
};
