// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every caption, tooltip and message in both languages, and how one is chosen.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct Bilingual {
    const char *portugues;
    const char *ingles;
};

// Two separate tests against the exact literals: with any other Idioma there
// is no text (the caption keeps what it had, a message box is not shown).
std::optional<QString> textByBothTests(const Bilingual &text);

// Portuguese for "Portugues", English for anything else.
QString textPortugueseOrEnglish(const Bilingual &text);

// A text and what fills its %1, %2, ...: kept as such so that it can be said
// again in another language.
struct Message {
    const Bilingual *text = nullptr;
    QStringList args;
};
std::optional<QString> messageByBothTests(const Message &message);

namespace Texts {
// Pieces of captions composed at run time.
inline constexpr Bilingual Calibrado{"Calibrado", "Calibrated"};
inline constexpr Bilingual NaoCalibrado{"Não calibrado", "Not calibrated"};
inline constexpr Bilingual PontosGravados{" pontos gravados", " saved points"};
inline constexpr Bilingual Ficheiro{"Ficheiro: ", "File: "};

// Message line and message boxes of the main window.
inline constexpr Bilingual LerImagem{"Leia um ficheiro de imagem contendo o gráfico",
                                     "Read an image file containing the graphic"};
inline constexpr Bilingual ModoCalibracao{
    "Para calibrar o gráfico, especifique as coordenadas de três pontos e clique a posição "
    "respectiva na imagem",
    "To calibrate the graphic, specify the coordinates of three points and click the "
    "corresponding position on the image"};
inline constexpr Bilingual ModoLeitura{
    "Clicando na imagem, as coordenadas dos pontos seleccionados são gravadas no ficheiro",
    "By clicking on the image, the points coordinates are stored in the specified file"};
inline constexpr Bilingual LogPositivos{
    "Só são permitidas coordenadas logarítmicas com valores positivos.",
    "Logarithmic coordinates are allowed only with positive values."};
inline constexpr Bilingual ErroCalibracao{"Erro na calibração", "Calibration error"};
inline constexpr Bilingual SairPergunta{"Deseja fechar o programa ?", "Do you wish to exit ?"};
inline constexpr Bilingual SairTitulo{"Atenção !", "Warning !"};

// The data file and readings without a value.
inline constexpr Bilingual FicheiroNaoAbre{
    "Não é possível criar ou abrir o ficheiro de dados:\n%1\nEscolha outro ficheiro para gravar os pontos.",
    "The data file cannot be created or opened:\n%1\nChoose another file to store the points."};
inline constexpr Bilingual FicheiroNaoGrava{
    "Não foi possível gravar o ponto no ficheiro de dados:\n%1\nO ponto não foi gravado. Escolha outro "
    "ficheiro para continuar.",
    "The point could not be written to the data file:\n%1\nThe point was not stored. Choose another file "
    "to go on."};
inline constexpr Bilingual SemValor{"sem valor", "no value"};
inline constexpr Bilingual PontoSemValor{
    "Não há valor neste ponto: a calibração não dá aqui um resultado válido. O ponto não foi gravado.",
    "There is no value at this point: the calibration gives no valid result here. The point was not "
    "stored."};
inline constexpr Bilingual PontoColinear{
    "Os três pontos de referência estão sobre uma recta, por isso a calibração não dá valores. "
    "Coloque os três pontos de modo a que não fiquem sobre uma recta. O ponto não foi gravado.",
    "The three reference points lie on one line, so the calibration gives no values. Place the "
    "three points so that they are not on one line. The point was not stored."};
inline constexpr Bilingual PontoSemLeitura{
    "A leitura ainda não mostra valores: mova primeiro o cursor sobre a imagem. O ponto não foi "
    "gravado.",
    "The readout shows no values yet: move the pointer over the picture first. The point was not "
    "stored."};
inline constexpr Bilingual MarcaJaGravada{
    "Esta marca já está gravada. Não foi gravada de novo; para gravar aqui, desligue o ajuste (F3).",
    "This mark is already recorded. It was not stored again; to record here, turn snapping off (F3)."};
// Taking a point back out of the data file.
inline constexpr Bilingual DesfazerAlterado{
    "O ficheiro de dados já não termina com o último ponto gravado:\n%1\nOutro programa pode tê-lo "
    "alterado ou substituído. Nada foi removido.",
    "The data file no longer ends with the last recorded point:\n%1\nAnother program may have "
    "changed or replaced it. Nothing was removed."};
inline constexpr Bilingual DesfazerFalhou{
    "Não foi possível remover o último ponto do ficheiro de dados:\n%1\nO ficheiro e a contagem "
    "ficam como estavam.",
    "The last point could not be removed from the data file:\n%1\nThe file and the count stay as "
    "they were."};
// A typed reference value that is not wholly a number, and a save dialog
// given a folder that does not exist.
inline constexpr Bilingual LidoComo{"Lido como %1", "Read as %1"};
inline constexpr Bilingual PastaNaoExiste{
    "A pasta não existe:\n%1\nEscolha uma pasta que exista.",
    "The folder does not exist:\n%1\nChoose a folder that exists."};
// The open dialog's entry for every picture format the readers know.
inline constexpr Bilingual TodasImagens{"Todas as imagens", "All pictures"};

// A picture that does not open: one line naming the file and why.
inline constexpr Bilingual ImagemIncompleta{"“%1” está incompleto: os dados acabam antes da imagem.",
                                            "“%1” is cut short: its data ends before the picture does."};
inline constexpr Bilingual ImagemGrandeDemais{
    "“%1” diz ter %2 × %3 pixels, mais do que este computador consegue guardar.",
    "“%1” claims %2 × %3 pixels, more than this computer can hold."};
inline constexpr Bilingual NaoEImagem{"“%1” não é uma imagem que o Pontiva consiga ler.",
                                      "“%1” is not a picture Pontiva can read."};
inline constexpr Bilingual ImagemDanificada{"“%1” está danificado: o Pontiva não o consegue descodificar.",
                                            "“%1” is damaged: Pontiva cannot decode it."};
inline constexpr Bilingual ImagemNaoAbre{"Não é possível abrir “%1”: não existe ou não tem permissão para o ler.",
                                         "“%1” cannot be opened: it does not exist or you may not read it."};
inline constexpr Bilingual ImagemNaoEFicheiro{
    "“%1” não é um ficheiro normal (é uma pasta, um pipe com nome ou um dispositivo).",
    "“%1” is not a regular file (it is a folder, a named pipe or a device)."};

// PDF documents.
inline constexpr Bilingual PdfProtegido{"“%1” está protegido por uma palavra-passe: o Pontiva não o consegue abrir.",
                                        "“%1” is protected by a password: Pontiva cannot open it."};
inline constexpr Bilingual PdfSemPaginas{"“%1” não tem páginas.", "“%1” has no pages."};
inline constexpr Bilingual PdfGrandeDemais{
    "A página %2 de “%1” a %3 ppp teria %4 × %5 pixels, mais do que este computador consegue guardar; a %6 ppp cabe.",
    "Page %2 of “%1” at %3 dpi would be %4 × %5 pixels, more than this computer can hold; %6 dpi fits."};
inline constexpr Bilingual DocumentosPdf{"Documentos PDF", "PDF documents"};
inline constexpr Bilingual PaginaPdf{"Página do PDF", "PDF page"};
inline constexpr Bilingual PaginaDeN{"Página (1 a %1):", "Page (1 to %1):"};
inline constexpr Bilingual ResolucaoPpp{"Resolução (ppp):", "Resolution (dpi):"};

inline constexpr Bilingual ImagemColada{"imagem colada", "pasted picture"};
inline constexpr Bilingual AreaTransferenciaMuda{
    "O programa que tem a área de transferência não respondeu: nada foi colado.",
    "The program holding the clipboard did not answer: nothing was pasted."};

// A picture calibrated before, in this run or an earlier one.
inline constexpr Bilingual CalibracaoGuardada{
    "Esta imagem já foi calibrada: Editar → Restaurar calibração repõe essa calibração.",
    "This picture was calibrated before: Edit → Restore calibration puts that calibration back."};
inline constexpr Bilingual CalibracaoRestaurada{"Calibração restaurada.", "Calibration restored."};

// The data set written out as CSV.
inline constexpr Bilingual ExportarTitulo{"Exportar conjunto de dados", "Export data set"};
inline constexpr Bilingual FicheirosCsv{"Ficheiros CSV", "CSV files"};
inline constexpr Bilingual ExportacaoFeita{"%1 pontos exportados para “%2”.", "%1 points exported to “%2”."};
inline constexpr Bilingual ExportacaoFalhou{
    "Não foi possível exportar o conjunto de dados para\n%1\n(%2). Um ficheiro que já lá estava ficou como estava.",
    "The data set could not be exported to\n%1\n(%2). A file that was there is left as it was."};

// The view's zoom, in the View menu.
inline constexpr Bilingual ZoomAtual{"&Zoom: %1 %", "&Zoom: %1 %"};

// What half a picture pixel is worth at the pointer, in the magnifier.
inline constexpr Bilingual MeioPixel{"meio pixel vale\nX ±%1  Y ±%2", "half a pixel is\nX ±%1  Y ±%2"};

// A picture load that takes a while.
inline constexpr Bilingual LendoImagem{"A ler a imagem…", "Loading the picture…"};
inline constexpr Bilingual Cancelar{"Cancelar", "Cancel"};
// Finding many points at once: every mark like one, or along a curve.
inline constexpr Bilingual ProcurandoPontos{"A procurar pontos…", "Finding points…"};
inline constexpr Bilingual MarcasEncontradas{
    "%1 marcas encontradas. Clique numa para a deixar de fora (outro clique repõe-na) ou numa marca "
    "esquecida para a juntar; Enter grava-as, Esc descarta-as.",
    "%1 marks found. Click one to leave it out (click again to take it back) or a missed mark to add "
    "it; Return records them, Esc discards them."};
inline constexpr Bilingual MarcasNoLimite{
    "A procura parou em %1 marcas: a imagem está cheia de pontos assim. Arraste com Shift um "
    "rectângulo mais pequeno.",
    "The search stopped at %1 marks: the picture is full of specks like this. Shift+drag a smaller "
    "rectangle."};
inline constexpr Bilingual SemMarcaExemplo{
    "Não há aqui uma marca para servir de exemplo: clique com Shift no centro de uma marca.",
    "There is no mark here to take as the example: Shift+click the middle of a mark."};
inline constexpr Bilingual CurvaSeguida{
    "Curva seguida: %1 pontos. Enter grava-os, Esc descarta-os; Editar → Passo da curva muda o "
    "espaçamento.",
    "Curve traced: %1 points. Return records them, Esc discards them; Edit → Trace step changes the "
    "spacing."};
inline constexpr Bilingual SemCurva{
    "Não há aqui uma linha para seguir: clique com Ctrl sobre a curva.",
    "There is no line here to trace: Ctrl+click on the curve."};
inline constexpr Bilingual ProcuraCancelada{"Procura cancelada; nada foi gravado.",
                                            "Search cancelled; nothing was recorded."};
inline constexpr Bilingual PontosDescartados{"Pontos encontrados descartados; nada foi gravado.",
                                             "Found points discarded; nothing was recorded."};
inline constexpr Bilingual EncontradosGravados{"%1 pontos encontrados gravados.", "%1 found points recorded."};
inline constexpr Bilingual GrupoRetirado{"%1 pontos retirados do ficheiro de dados.",
                                         "%1 points taken back out of the data file."};
inline constexpr Bilingual GrupoReposto{"%1 pontos repostos no ficheiro de dados.", "%1 points put back in the data file."};
inline constexpr Bilingual CliqueMarcaExemplo{"Clique numa marca: todas as marcas como ela serão procuradas.",
                                              "Click a mark: every mark like it will be found."};
inline constexpr Bilingual CliqueCurva{"Clique sobre uma curva para a seguir.", "Click on a curve to trace it."};
inline constexpr Bilingual PassoCurvaTitulo{"Passo da curva", "Trace step"};
inline constexpr Bilingual PassoPixeis{"Um ponto a cada (pixéis ao longo da curva):",
                                       "One point every (picture pixels along the curve):"};
inline constexpr Bilingual PassoX{"Um ponto a cada múltiplo de X:", "One point at every multiple in X of:"};
inline constexpr Bilingual PassoDecada{"Em X logarítmico, pontos por década:", "On a logarithmic X, points per decade:"};

// About box.
inline constexpr Bilingual Versao{"Versão ", "Version "};
} // namespace Texts

// Captions that the English procedure puts on named controls, in order; the
// Portuguese column is the design caption.
struct NamedText {
    const char *control;
    Bilingual text;
};

inline constexpr NamedText CaptionTable[] = {
    {"Option_Calibracao", {"Calibração", "Calibration"}},
    {"Option_LeituraDados", {"Leitura de dados", "Read data"}},
    {"Frame_Modo", {"Modo", "Mode"}},
    {"Frame_Calibracao", {"Calibração", "Calibration"}},
    {"Option_Canto0", {"Ponto 0", "Point 0"}},
    {"Option_Canto1", {"Ponto 1", "Point 1"}},
    {"Option_Canto2", {"Ponto 2", "Point 2"}},
    {"Frame_Leitura", {"Leitura", "Data"}},
    {"Frame6", {"Tipo de coordenadas", "Coordinate types"}},
    {"Check_XLog", {"X logarítmico", "Logarithmic X"}},
    {"Check_YLog", {"Y logarítmico", "Logarithmic Y"}},
    {"Frame4", {"Coordenadas locais", "Local coordinates"}},
    {"Frame_Gravacao", {"Gravação de dados", "Data storage"}},
    {"Command3", {"Escolher Ficheiro", "File"}},
    {"Ficheiro", {"Ficheiro", "File"}},
    {"Ler", {"Ler", "Load"}},
    {"ExportarConjunto", {"Exportar conjunto de dados…", "Export data set…"}},
    {"Sair", {"Sair", "Exit"}},
    {"Editar", {"Editar", "Edit"}},
    {"DesfazerPonto", {"Desfazer ponto", "Undo point"}},
    {"RefazerPonto", {"Refazer ponto", "Redo point"}},
    {"RestaurarCalibracao", {"Restaurar calibração", "Restore calibration"}},
    {"ColarImagem", {"Colar imagem", "Paste picture"}},
    {"ProcurarMarcas", {"Procurar marcas semelhantes", "Find similar marks"}},
    {"SeguirCurva", {"Seguir curva", "Trace curve"}},
    {"PassoCurva", {"Passo da curva…", "Trace step…"}},
    {"GravarEncontrados", {"Gravar os pontos encontrados", "Record found points"}},
    {"DescartarEncontrados", {"Descartar os pontos encontrados", "Discard found points"}},
    {"Ver", {"Ver", "View"}},
    {"AjustarMarcas", {"Ajustar às marcas", "Snap to marks"}},
    {"GrelhaCalibracao", {"Grelha de calibração", "Calibration grid"}},
    {"Lupa4", {"Lupa ×4", "Magnifier ×4"}},
    {"Lupa8", {"Lupa ×8", "Magnifier ×8"}},
    {"AmpliarVista", {"Ampliar", "Zoom in"}},
    {"ReduzirVista", {"Reduzir", "Zoom out"}},
    {"TamanhoReal", {"Tamanho real", "Actual size"}},
    {"AjustarVista", {"Ajustar à janela", "Fit picture"}},
    {"AjustarAoAbrir", {"Ajustar imagens grandes ao abrir", "Fit large pictures when opened"}},
    {"EncherJanela", {"Imagem ocupa a janela", "Picture fills the window"}},
    {"MenuIdioma", {"Idioma", "Language"}},
};

// The texts (typos included) are the ones users have always seen.
inline constexpr NamedText TooltipTable[] = {
    {"Option_Calibracao", {"Fazer a calibração do gráfico", "Perfom the graphics calibration"}},
    {"Option_LeituraDados", {"Analisar o gráfico", "Analyse the graphic"}},
    {"Text_X0", {"Coordenada X do ponto 0", "X coordinate of point 0"}},
    {"Text_X1", {"Coordenada X do ponto 1", "X coordinate of point 1"}},
    {"Text_X2", {"Coordenada X do ponto 2", "X coordinate of point 2"}},
    {"Text_Y0", {"Coordenada Y do ponto 0", "Y coordinate of point 0"}},
    {"Text_Y1", {"Coordenada Y do ponto 1", "Y coordinate of point 1"}},
    {"Text_Y2", {"Coordenada Y do ponto 2", "Y coordinate of point 2"}},
    {"Label0", {"Estado do ponto 0", "State of point 0"}},
    {"Label1", {"Estado do ponto 1", "State of point 1"}},
    {"Label2", {"Estado do ponto 2", "State of point 2"}},
    {"Label_Leitura_X",
     {"Coordenada X na localização do cursor", "X coordinate at the mouse pointer location"}},
    {"Label_Leitura_Y",
     {"Coordenada Y na localização do cursor", "Y coordinate at the mouse pointer location"}},
    {"Check_XLog",
     {"Activar se o eixo X tiver coordenadas logarítmicas",
      "Activate if the X-axis has logarithmic coordinates"}},
    {"Check_YLog",
     {"Activar se o eixo T tiver coordenadas logarítmicas",
      "Activate if the Y-axis has logarithmic coordinates"}},
    {"Command3",
     {"Pressione para escolher o ficheiro pra gravação de dados", "Press to choose file to store data"}},
    {"Lupa",
     {"A imagem ampliada em volta do cursor; clique para alternar entre ×4 e ×8. Setas: mover 1/8 de "
      "pixel (Shift: 1 pixel); Espaço: clicar; F3: ajustar às marcas",
      "The picture enlarged around the pointer; click to switch between ×4 and ×8. Arrows: move 1/8 "
      "pixel (Shift: 1 pixel); Space: click; F3: snap to marks"}},
};
