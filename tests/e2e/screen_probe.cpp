// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Looks at the X screen for the end-to-end test: finds or waits for colours, saves shots.
#include <QColor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

QImage grab()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

std::optional<QRgb> parseColour(const char *text)
{
    const QColor c(QString::fromLatin1("#") + QString::fromLatin1(text));
    if (!c.isValid())
        return std::nullopt;
    return c.rgb() & 0xFFFFFF;
}

// Bounding box of every pixel of exactly that colour.
bool findColour(const QImage &image, QRgb colour, QRect &box)
{
    int minX = image.width(), minY = image.height(), maxX = -1, maxY = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == colour) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    }
    if (maxX < 0)
        return false;
    box = QRect(QPoint(minX, minY), QPoint(maxX, maxY));
    return true;
}

int usage(const char *self)
{
    std::fprintf(stderr,
                 "usage: %s find RRGGBB TIMEOUT_MS     print 'left top right bottom' of that colour\n"
                 "       %s wait RRGGBB X Y TIMEOUT_MS wait until pixel X,Y has that colour\n"
                 "       %s waitnot RRGGBB X Y TIMEOUT_MS wait until pixel X,Y has another colour\n"
                 "       %s pixel X Y                  print the pixel's colour\n"
                 "       %s shot FILE.png              save the screen\n",
                 self, self, self, self, self);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // Only the X screen is of use here, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return usage(argv[0]);
    const char *command = argv[1];

    if (std::strcmp(command, "shot") == 0 && argc == 3)
        return grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;

    if (std::strcmp(command, "pixel") == 0 && argc == 4) {
        const QImage image = grab();
        const QPoint at(std::atoi(argv[2]), std::atoi(argv[3]));
        if (!image.rect().contains(at))
            return 1;
        std::printf("%06X\n", unsigned(image.pixel(at) & 0xFFFFFF));
        return 0;
    }

    const bool find = std::strcmp(command, "find") == 0 && argc == 4;
    const bool waitNot = std::strcmp(command, "waitnot") == 0 && argc == 6;
    const bool wait = (waitNot || std::strcmp(command, "wait") == 0) && argc == 6;
    if (!find && !wait)
        return usage(argv[0]);
    const std::optional<QRgb> colour = parseColour(argv[2]);
    if (!colour)
        return usage(argv[0]);
    const QPoint at = wait ? QPoint(std::atoi(argv[3]), std::atoi(argv[4])) : QPoint();
    QDeadlineTimer deadline(std::atoi(argv[find ? 3 : 5]));
    // Polls: the window repaints on its own schedule.
    for (;;) {
        const QImage image = grab();
        if (find) {
            QRect box;
            if (findColour(image, *colour, box)) {
                std::printf("%d %d %d %d\n", box.left(), box.top(), box.right(), box.bottom());
                return 0;
            }
        } else if (image.rect().contains(at) && ((image.pixel(at) & 0xFFFFFF) == *colour) != waitNot) {
            return 0;
        }
        if (deadline.hasExpired()) {
            if (wait && image.rect().contains(at))
                std::fprintf(stderr, "pixel %d,%d is %06X\n", at.x(), at.y(),
                             unsigned(image.pixel(at) & 0xFFFFFF));
            return 1;
        }
        QThread::msleep(20);
    }
}
