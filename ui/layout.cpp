// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window's groups, viewport and scroll bars go, in twips.
#include "ui/layout.h"

MainLayout layOutMainWindow(MainLayout l, double windowWidth, double windowHeight)
{
    l.Frame_Modo.left = 250;
    l.Frame_Calibracao.left = l.Frame_Modo.left + l.Frame_Modo.width + 150;
    // Calibration and reading groups share one place; one is ever visible.
    l.Frame_Leitura.left = l.Frame_Calibracao.left;
    l.Frame_Gravacao.left = l.Frame_Leitura.left + l.Frame_Leitura.width + 150;
    l.Picture1.left = l.Frame_Modo.left;
    l.Picture1.width = windowWidth - 1000;
    l.Picture1.top = l.Frame_Leitura.top + l.Frame_Leitura.height + 100;
    l.Picture1.height = windowHeight - l.Picture1.top - 1350;
    l.Picture_Desenho.left = l.Frame_Calibracao.left + l.Frame_Calibracao.width + 150;
    l.HScroll1.width = 5000;
    l.HScroll1.top = l.Picture1.top + l.Picture1.height + 0.5 * l.HScroll1.height;
    l.HScroll1.left = l.Picture1.left + l.Picture1.width - l.HScroll1.width;
    l.VScroll1.height = 5000;
    l.VScroll1.left = l.Picture1.left + l.Picture1.width + 0.5 * l.VScroll1.width;
    l.VScroll1.top = l.Picture1.top + l.Picture1.height - l.VScroll1.height;
    l.Label_Mensagem.left = l.Picture1.left;
    l.Label_Mensagem.top = l.HScroll1.top;
    l.Lupa.left = l.Picture1.left + l.Picture1.width - l.Lupa.width;
    return l;
}

MainLayout grownBy(MainLayout l, double extraWidth, double extraHeight)
{
    l.Picture1.width += extraWidth;
    l.Picture1.height += extraHeight;
    for (TwipsRect *below : {&l.HScroll1, &l.VScroll1, &l.Label_Mensagem})
        below->top += extraHeight;
    for (TwipsRect *right : {&l.HScroll1, &l.VScroll1, &l.Lupa})
        right->left += extraWidth;
    return l;
}
