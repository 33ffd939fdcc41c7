// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a test chart with known axes and data marks, and writes where they lie.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Unique in the chart and absent from the window's own palette, so a
// screenshot shows exactly the picture's outline in it.
const QColor FrameColour(0x13, 0xE7, 0xC5);

struct Chart {
    int width, height;
    QPointF origin;   // pixel of data (0, 0)
    QPointF perX, perY; // pixel displacement of one data unit along each axis
};

struct Datum {
    double x, y;
};

// Offsets along the axes are multiples of whole pixels for these values,
// so every mark and reference point sits exactly on a pixel.
const std::vector<Datum> Data = {{1, 10}, {2.5, 35}, {4, 50}, {6.5, 20}, {8, 90}, {9.5, 65}, {-0.5, -5}, {0, 50}};

bool pixelOf(const Chart &c, double x, double y, int &col, int &row)
{
    const QPointF p = c.origin + x * c.perX + y * c.perY;
    col = int(std::lround(p.x()));
    row = int(std::lround(p.y()));
    // Off-pixel positions would make the expected readings depend on rounding.
    return std::abs(p.x() - col) < 1e-9 && std::abs(p.y() - row) < 1e-9 && col > 0 && row > 0
        && col < c.width - 1 && row < c.height - 1;
}

void cross(QPainter &p, int col, int row, int arm)
{
    p.drawLine(col - arm, row, col + arm, row);
    p.drawLine(col, row - arm, col, row + arm);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "straight") != 0 && std::strcmp(argv[1], "rotated") != 0)) {
        std::fprintf(stderr, "usage: %s straight|rotated chart.png manifest.txt\n", argv[0]);
        return 2;
    }
    // X 0..10, Y 0..100. The rotated chart turns both axes by atan(5/12)
    // (a 5-12-13 triangle), which keeps whole-pixel positions.
    const bool rotated = std::strcmp(argv[1], "rotated") == 0;
    const Chart c = rotated ? Chart{380, 400, {120, 360}, {24, -10}, {-1, -2.4}}
                            : Chart{400, 300, {40, 260}, {30, 0}, {0, -2}};

    QImage image(c.width, c.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Axes and ticks in grey, data marks in black; none uses the frame colour.
    p.setPen(QColor(110, 110, 110));
    p.drawLine(c.origin, c.origin + 10 * c.perX);
    p.drawLine(c.origin, c.origin + 100 * c.perY);
    for (int i = 1; i <= 10; ++i) {
        int col, row;
        if (pixelOf(c, i, 0, col, row))
            cross(p, col, row, 2);
        if (pixelOf(c, 0, i * 10, col, row))
            cross(p, col, row, 2);
    }
    p.setPen(Qt::black);
    std::FILE *out = std::fopen(argv[3], "w");
    if (!out) {
        std::perror(argv[3]);
        return 1;
    }
    std::fprintf(out, "size %d %d\n", c.width, c.height);
    const struct {
        const char *name;
        double x, y;
    } refs[] = {{"ref0", 0, 0}, {"ref1", 10, 0}, {"ref2", 0, 100}};
    for (const auto &r : refs) {
        int col, row;
        if (!pixelOf(c, r.x, r.y, col, row)) {
            std::fprintf(stderr, "%s is off-pixel\n", r.name);
            return 1;
        }
        std::fprintf(out, "%s %d %d %.10g %.10g\n", r.name, col, row, r.x, r.y);
    }
    for (const Datum &d : Data) {
        int col, row;
        if (!pixelOf(c, d.x, d.y, col, row)) {
            std::fprintf(stderr, "datum %g %g is off-pixel\n", d.x, d.y);
            return 1;
        }
        cross(p, col, row, 3);
        std::fprintf(out, "point %d %d %.10g %.10g\n", col, row, d.x, d.y);
    }
    // One pixel of pointer error, in data units: rows of the inverse of
    // [perX perY], whose norms bound the change of each reading.
    const double det = c.perX.x() * c.perY.y() - c.perY.x() * c.perX.y();
    const double tolX = std::hypot(c.perY.y(), c.perY.x()) / std::abs(det);
    const double tolY = std::hypot(c.perX.y(), c.perX.x()) / std::abs(det);
    std::fprintf(out, "tolerance %.10g %.10g\n", tolX, tolY);

    p.setPen(FrameColour);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, c.width - 1, c.height - 1);
    p.end();
    if (std::fclose(out) != 0 || !image.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write the chart\n");
        return 1;
    }
    return 0;
}
