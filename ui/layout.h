// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window's groups, viewport and scroll bars go, in twips.
#pragma once

#include "ui/twips.h"

// The controls the load-time layout moves. Computed once, from the window's
// outer size; the window never lays itself out again when resized.
struct MainLayout {
    TwipsRect Frame_Modo, Frame_Calibracao, Frame_Leitura, Frame_Gravacao;
    TwipsRect Picture1, Picture_Desenho, HScroll1, VScroll1, Label_Mensagem;
    // The magnifier: in the top row's free corner, flush with the viewport's right edge.
    TwipsRect Lupa;
};

// Each line uses the results of the lines before it; sizes of the frames and
// the tops of the top row keep their design values.
MainLayout layOutMainWindow(MainLayout design, double windowWidthTwips, double windowHeightTwips);

// The same with the viewport grown by `extraWidth` x `extraHeight` twips:
// the bars, the message line and the magnifier move with its edges; the
// groups above keep their places.
MainLayout grownBy(MainLayout layout, double extraWidth, double extraHeight);
