// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// An option button that Tab reaches even when another of its group is selected.
#pragma once

#include <QRadioButton>

// Qt's exclusive radio buttons are one Tab stop for the whole group: Tab
// never reaches an unselected one. These keep their group exclusive
// themselves (the option buttons sharing their parent), so each is a stop of
// its own. As with Qt's own, the one selected before is cleared before the
// new one reports its selection, and selecting the selected one does nothing.
class OptionButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit OptionButton(QWidget *parent = nullptr);

protected:
    void nextCheckState() override;
    void checkStateSet() override;

private:
    void clearOthers();
};
