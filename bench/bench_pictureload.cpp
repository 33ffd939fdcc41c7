// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a large scanned chart: Pontiva's "Ler" against a bare QImageReader decode.
#include "benchsupport.h"

#include "language/idioma.h"
#include "ui/pontivastyle.h"
#include "ui/form1.h"
#include "ui/userdialogs.h"
#include "picture/picturedecoder.h"
#include "view/picturepanel.h"

#include <QAction>
#include <QApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Width = 8000;
int Height = 6000;

// Paper tone, grain, a grid, curves and labels, so the file compresses like
// a real scan rather than like a flat colour.
int makePicture(const QString &path)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    {
        QPainter p(&image);
        QLinearGradient paper(0, 0, Width, Height);
        paper.setColorAt(0, QColor(250, 247, 238));
        paper.setColorAt(1, QColor(228, 224, 212));
        p.fillRect(image.rect(), paper);
        QRadialGradient stain(Width * 0.7, Height * 0.3, Width * 0.4);
        stain.setColorAt(0, QColor(200, 190, 160, 60));
        stain.setColorAt(1, QColor(200, 190, 160, 0));
        p.fillRect(image.rect(), stain);
        p.setRenderHint(QPainter::Antialiasing);
        for (int x = 400; x < Width - 300; x += 80) {
            p.setPen(QPen(QColor(150, 170, 200), x % 400 == 0 ? 3 : 1));
            p.drawLine(x, 300, x, Height - 400);
        }
        for (int y = 300; y < Height - 300; y += 80) {
            p.setPen(QPen(QColor(150, 170, 200), y % 400 == 300 ? 3 : 1));
            p.drawLine(400, y, Width - 300, y);
        }
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(48);
        p.setFont(font);
        p.setPen(Qt::black);
        for (int x = 400, i = 0; x < Width - 300; x += 400, ++i)
            p.drawText(x - 30, Height - 320, QString::number(i * 5));
        for (int y = 300, i = 0; y < Height - 300; y += 400, ++i)
            p.drawText(250, Height - 400 - (y - 300) + 16, QString::number(i * 10));
        font.setPixelSize(90);
        p.setFont(font);
        p.drawText(QRect(0, 60, Width, 160), Qt::AlignCenter,
                   QStringLiteral("Figure 7. Response against load, three specimens"));
        const QColor inks[] = {QColor(20, 20, 20), QColor(160, 30, 30), QColor(30, 60, 150)};
        for (int c = 0; c < 3; ++c) {
            QPainterPath curve;
            for (int x = 400; x < Width - 300; x += 8) {
                const double t = double(x - 400) / (Width - 700);
                const double y = Height - 400 - (Height - 800) * (1 - std::exp(-3 * t * (c + 1) / 2))
                                 * (0.6 + 0.15 * c) + 40 * std::sin(t * 40 + c);
                if (x == 400)
                    curve.moveTo(x, y);
                else
                    curve.lineTo(x, y);
            }
            p.setPen(QPen(inks[c], 6));
            p.drawPath(curve);
        }
    }
    // Scanner grain: a cheap generator, the same picture on every run.
    quint32 seed = 12345;
    for (int y = 0; y < Height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int d = int(seed >> 28) - 8;
            const QRgb c = row[x];
            row[x] = qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255),
                          qBound(0, qBlue(c) + d, 255));
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}

// The floor: decoding the file and nothing else.
int decodeOnly(const QString &path)
{
    // Qt's default cap is below 192 MB; lift it as any reader of scans must.
    QImageReader::setAllocationLimit(0);
    const double t0 = bench::nowMs();
    const QImage image = QImageReader(path).read();
    const double t1 = bench::nowMs();
    if (image.isNull())
        return 1;
    std::printf("ms=%.3f\n", t1 - t0);
    std::printf("format=%d\n", int(image.format()));
    std::printf("vmhwm_kib=%ld\n", bench::vmHwmKiB());
    return 0;
}

// Only Pontiva's loader, no window: tells decoding apart from showing.
int loaderOnly(const QString &path)
{
    const double t0 = bench::nowMs();
    const DecodedPicture image = loadPicture(path);
    const double t1 = bench::nowMs();
    if (!image)
        return 1;
    std::printf("ms=%.3f\n", t1 - t0);
    std::printf("format=%d\n", int(image.picture.format()));
    std::printf("vmhwm_kib=%ld\n", bench::vmHwmKiB());
    return 0;
}

// Answers the open dialog with the bench picture; nothing else may be asked.
class ScriptedDialogs : public UserDialogs
{
public:
    explicit ScriptedDialogs(QString path)
        : Path(std::move(path))
    {
    }
    std::optional<QString> openPictureFile(const FileDialogRequest &) override { return Path; }
    std::optional<QString> saveDataFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> saveExportFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<PdfPageChoice> choosePdfPage(int, int) override { return std::nullopt; }
    void message(const QString &text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    bool question(const QString &, const QString &) override { return false; }
    void about() override {}
    std::unique_ptr<LoadProgress> showLoadProgress() override { return nullptr; }
    std::unique_ptr<LoadProgress> showSearchProgress() override { return nullptr; }
    std::optional<TraceStep> chooseTraceStep(const TraceStep &current) override { return current; }

private:
    QString Path;
};

int throughWindow(const QString &path)
{
    Idioma = QStringLiteral("Ingles");
    QApplication::setStyle(new PontivaStyle); // as the program does
    ScriptedDialogs dialogs(path);
    Form1 window(dialogs);
    window.endProgram = [] {};
    auto *ler = window.findChild<QAction *>(QStringLiteral("Ler"));
    auto *picture = window.findChild<PicturePanel *>(QStringLiteral("Picture2"));
    if (!ler || !picture) {
        std::fprintf(stderr, "no Ler action or Picture2 panel\n");
        return 1;
    }
    double t0 = 0, returned = 0;
    long beforeHwm = 0;
    std::unique_ptr<bench::FirstPaint> shown;
    // Open the picture only once the empty window has painted and settled.
    bench::FirstPaint windowPainted(&window, [&] {
        QTimer::singleShot(100, &window, [&] {
            beforeHwm = bench::vmHwmKiB();
            shown = std::make_unique<bench::FirstPaint>(picture, [&] {
                const double t = bench::nowMs();
                std::printf("ms=%.3f\n", t - t0);
                std::printf("phase_ler_click_ms=%.3f\n", returned - t0);
                std::printf("phase_to_paint_ms=%.3f\n", t - returned);
                std::printf("window_hwm_kib=%ld\n", beforeHwm);
                std::printf("vmhwm_kib=%ld\n", bench::vmHwmKiB());
                std::printf("vmrss_kib=%ld\n", bench::vmRssKiB());
                std::printf("picture=%dx%d format=%d\n", picture->picture().width(),
                            picture->picture().height(), int(picture->picture().format()));
                std::fflush(stdout);
                QCoreApplication::exit(picture->hasPicture() ? 0 : 1);
            });
            t0 = bench::nowMs();
            ler->trigger();
            returned = bench::nowMs();
        });
    });
    bench::watchdog(60000);
    window.Form_Load();
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s make|floor|loader|pontiva PATH [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    if (argc == 5) {
        Width = std::atoi(argv[3]);
        Height = std::atoi(argv[4]);
    }
    const char *mode = argv[1];
    // Every mode has the same application object, so only the measured work differs.
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (std::strcmp(mode, "make") == 0)
        return makePicture(path);
    if (std::strcmp(mode, "floor") == 0)
        return decodeOnly(path);
    if (std::strcmp(mode, "loader") == 0)
        return loaderOnly(path);
    if (std::strcmp(mode, "pontiva") == 0)
        return throughWindow(path);
    std::fprintf(stderr, "unknown mode %s\n", mode);
    return 2;
}
