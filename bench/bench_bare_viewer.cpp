// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The simplest Qt picture viewer, the yardstick of bench/dialog_open.sh: Ctrl+O
// opens Qt's own file dialog, the picture is read by QImageReader into a
// QPixmap on a QLabel in a QScrollArea.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QScrollArea>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QImageReader::setAllocationLimit(0); // as any reader of scans must
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare viewer"));
    auto *area = new QScrollArea;
    auto *label = new QLabel;
    area->setWidget(label);
    window.setCentralWidget(area);
    window.resize(1016, 732); // Pontiva's window
    auto *open = new QAction(&window);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    window.addAction(open);
    QObject::connect(open, &QAction::triggered, &window, [&] {
        QFileDialog dialog(&window, QStringLiteral("File name"));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({QStringLiteral("Jpg Files (*.jpg)")});
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        const QImage image = QImageReader(dialog.selectedFiles().constFirst()).read();
        label->setPixmap(QPixmap::fromImage(image));
        label->adjustSize();
    });
    window.show();
    return app.exec();
}
