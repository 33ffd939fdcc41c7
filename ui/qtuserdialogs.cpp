// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real modal dialogs: Qt's file dialogs, message boxes and the About box.
#include "ui/qtuserdialogs.h"

#include "picture/pdfpages.h"

#include "language/languagetexts.h"
#include "ui/frmabout.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString display = parts[i];
        QString pattern = parts[i + 1] == QLatin1String("*.*") ? QStringLiteral("*") : parts[i + 1];
        if (!display.contains(QLatin1Char('(')))
            display += QStringLiteral(" (%1)").arg(pattern);
        result << display;
    }
    return result;
}

QtUserDialogs::QtUserDialogs(QWidget *parent)
    : Parent(parent)
{
}

QtUserDialogs::~QtUserDialogs() = default;

namespace {

// Qt's save dialog returns a name in a folder that does not exist; this one
// says so and stays open, as the open dialog does for a missing file.
class SaveDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QDir folder = QFileInfo(files.constFirst()).absoluteDir();
            if (!folder.exists()) {
                if (auto text = textByBothTests(Texts::PastaNaoExiste)) {
                    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pontiva"),
                                    text->arg(QDir::toNativeSeparators(folder.path())), QMessageBox::Ok, this);
                    box.exec();
                }
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

static std::unique_ptr<QFileDialog> makeDialog(std::unique_ptr<QFileDialog> dialog, const FileDialogRequest &request,
                                               const QString &last)
{
    // Qt's own dialog matches filter patterns regardless of letter case, so
    // CHART.JPG shows under "*.jpg"; desktop portals do not.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::ReadOnly, false);
    if (!request.title.isEmpty())
        dialog->setWindowTitle(request.title);
    const QStringList filters = qtNameFilters(request.filter);
    dialog->setNameFilters(filters);
    const int index = request.selectedFilter - 1;
    if (index >= 0 && index < filters.size())
        dialog->selectNameFilter(filters[index]);
    // In the folder asked for (the last picture's, say), with the name chosen
    // last when it was chosen there.
    const QString folder = request.folder.isEmpty() ? QDir::homePath() : request.folder;
    if (!request.name.isEmpty())
        dialog->selectFile(QDir(folder).filePath(request.name));
    else if (!last.isEmpty() && (request.folder.isEmpty() || QFileInfo(last).absolutePath() == QDir(folder).absolutePath()))
        dialog->selectFile(last);
    else
        dialog->setDirectory(folder);
    return dialog;
}

std::unique_ptr<QFileDialog> QtUserDialogs::makeOpenDialog(const FileDialogRequest &request) const
{
    auto dialog = makeDialog(std::make_unique<QFileDialog>(Parent), request, LastPicture);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

static std::unique_ptr<QFileDialog> saveDialog(QWidget *parent, const FileDialogRequest &request, const QString &last)
{
    auto dialog = makeDialog(std::make_unique<SaveDialog>(parent), request, last);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    return dialog;
}

std::unique_ptr<QFileDialog> QtUserDialogs::makeSaveDialog(const FileDialogRequest &request) const
{
    return saveDialog(Parent, request, LastDataFile);
}

// The chosen path, remembered for the dialog's next opening; nothing on cancel.
static std::optional<QString> runFileDialog(QFileDialog &dialog, QString &last)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    last = dialog.selectedFiles().constFirst();
    return last;
}

std::optional<QString> QtUserDialogs::openPictureFile(const FileDialogRequest &request)
{
    return runFileDialog(*makeOpenDialog(request), LastPicture);
}

std::optional<QString> QtUserDialogs::saveDataFile(const FileDialogRequest &request)
{
    return runFileDialog(*makeSaveDialog(request), LastDataFile);
}

std::optional<QString> QtUserDialogs::saveExportFile(const FileDialogRequest &request)
{
    return runFileDialog(*saveDialog(Parent, request, LastExport), LastExport);
}

std::optional<PdfPageChoice> QtUserDialogs::choosePdfPage(int pageCount, int dpi)
{
    QDialog dialog(Parent);
    dialog.setWindowTitle(textPortugueseOrEnglish(Texts::PaginaPdf));
    auto *form = new QFormLayout(&dialog);
    auto *page = new QSpinBox(&dialog);
    page->setObjectName(QStringLiteral("PdfPage"));
    page->setRange(1, std::max(1, pageCount));
    page->setEnabled(pageCount > 1);
    auto *resolution = new QSpinBox(&dialog);
    resolution->setObjectName(QStringLiteral("PdfDpi"));
    resolution->setRange(SmallestPdfDpi, LargestPdfDpi);
    resolution->setValue(dpi);
    resolution->setSingleStep(50);
    form->addRow(textPortugueseOrEnglish(Texts::PaginaDeN).arg(pageCount), page);
    form->addRow(textPortugueseOrEnglish(Texts::ResolucaoPpp), resolution);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    (pageCount > 1 ? page : resolution)->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return PdfPageChoice{page->value() - 1, resolution->value()};
}

void QtUserDialogs::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pontiva"), text, QMessageBox::Ok, Parent);
    box.exec();
}

bool QtUserDialogs::question(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, Parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::about()
{
    // Made anew on every opening; it keeps nothing between them.
    frmAbout dialog(Parent);
    dialog.exec();
}

namespace {

// Qt's progress dialog, modal over the whole program, and a busy pointer
// that still lets Cancel be clicked.
class ProgressDialog : public LoadProgress
{
public:
    ProgressDialog(QWidget *parent, const Bilingual &label)
        : Dialog(textPortugueseOrEnglish(label), textPortugueseOrEnglish(Texts::Cancelar), 0, 1000, parent)
    {
        Dialog.setWindowTitle(QStringLiteral("Pontiva"));
        Dialog.setWindowModality(Qt::ApplicationModal);
        Dialog.setMinimumDuration(0);
        Dialog.setAutoClose(false);
        Dialog.setAutoReset(false);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        Dialog.show();
    }
    ~ProgressDialog() override { QApplication::restoreOverrideCursor(); }
    void setProgress(double fraction) override { Dialog.setValue(int(fraction * 1000)); }
    bool cancelled() const override { return Dialog.wasCanceled(); }

private:
    QProgressDialog Dialog;
};

} // namespace

std::unique_ptr<LoadProgress> QtUserDialogs::showLoadProgress()
{
    return std::make_unique<ProgressDialog>(Parent, Texts::LendoImagem);
}

std::unique_ptr<LoadProgress> QtUserDialogs::showSearchProgress()
{
    return std::make_unique<ProgressDialog>(Parent, Texts::ProcurandoPontos);
}

std::optional<TraceStep> QtUserDialogs::chooseTraceStep(const TraceStep &current)
{
    QDialog dialog(Parent);
    dialog.setWindowTitle(textPortugueseOrEnglish(Texts::PassoCurvaTitulo));
    auto *form = new QFormLayout(&dialog);
    auto *byPixels = new QRadioButton(textPortugueseOrEnglish(Texts::PassoPixeis), &dialog);
    auto *byX = new QRadioButton(textPortugueseOrEnglish(Texts::PassoX), &dialog);
    auto *spacing = new QDoubleSpinBox(&dialog);
    spacing->setRange(1, 10000);
    spacing->setDecimals(1);
    spacing->setValue(current.spacing);
    auto *xStep = new QDoubleSpinBox(&dialog);
    xStep->setRange(1e-9, 1e12);
    xStep->setDecimals(9);
    xStep->setValue(current.xStep);
    auto *perDecade = new QSpinBox(&dialog);
    perDecade->setRange(1, 1000);
    perDecade->setValue(current.perDecade);
    (current.alongX ? byX : byPixels)->setChecked(true);
    form->addRow(byPixels, spacing);
    form->addRow(byX, xStep);
    form->addRow(textPortugueseOrEnglish(Texts::PassoDecada), perDecade);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TraceStep{byX->isChecked(), spacing->value(), xStep->value(), perDecade->value()};
}
