// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The accuracy table of snapping: on real charts and scan-like ones, clicks
// 1, 2 and 3 pixels off every feature from 8 directions, and how far from
// the truth the raw click, the snap, or no snap leaves the reading.
// `--each [px]` also lists every click whose snap lands more than 0.3 px
// (or px) off;
// `--save DIR` writes the scan-like charts there, to look at.
#include "chartswithtruth.h"

#include "snapping/crossingsnap.h"
#include "snapping/marksnap.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Tally {
    int clicks = 0, snapped = 0, missed = 0, beyondHalf = 0;
    double raw = 0, rawWorst = 0, snap = 0, snapWorst = 0;
    void add(double rawError, std::optional<double> snapError)
    {
        ++clicks;
        raw += rawError;
        rawWorst = std::max(rawWorst, rawError);
        if (!snapError) {
            ++missed;
            return;
        }
        ++snapped;
        snap += *snapError;
        snapWorst = std::max(snapWorst, *snapError);
        beyondHalf += *snapError > 0.5;
    }
};

void row(const QString &kind, const char *what, const Tally &t)
{
    if (!t.clicks)
        return;
    std::printf("| %s | %s | %d | %.2f / %.2f | %.1f %% | %s | %d | %.1f %% |\n", qPrintable(kind), what, t.clicks,
                t.raw / t.clicks, t.rawWorst, 100.0 * t.snapped / t.clicks,
                t.snapped ? qPrintable(QStringLiteral("%1 / %2").arg(t.snap / t.snapped, 0, 'f', 2).arg(t.snapWorst, 0, 'f', 2))
                          : "-",
                t.beyondHalf, 100.0 * t.missed / t.clicks);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool each = argc > 1 && !std::strcmp(argv[1], "--each");
    const double threshold = each && argc > 2 ? std::atof(argv[2]) : 0.3;
    std::vector<ChartWithTruth> charts = realCharts();
    for (ChartWithTruth &chart : scanLikeCharts())
        charts.push_back(std::move(chart));
    if (argc > 2 && !std::strcmp(argv[1], "--save")) {
        for (std::size_t i = 0; i < charts.size(); ++i)
            charts[i].picture.save(QStringLiteral("%1/chart%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(i));
        return 0;
    }

    std::printf("| chart | feature | clicks | raw click, mean / worst px | snapped | snap, mean / worst px | "
                "snaps > 0.5 px | no snap |\n|---|---|---|---|---|---|---|---|\n");
    for (const ChartWithTruth &chart : charts) {
        const pontiva::PixelBuffer pixels = pixelsOf(chart.picture);
        for (const bool crossing : {true, false}) {
            Tally tally;
            const auto &truths = crossing ? chart.crossings : chart.marks;
            for (std::size_t i = 0; i < truths.size(); ++i) {
                const QPointF truth = truths[i];
                for (const double distance : {1.0, 2.0, 3.0})
                    for (int k = 0; k < 8; ++k) {
                        const double angle = k * 3.14159265358979323846 / 4;
                        const pontiva::PixelPoint at{truth.x() + distance * std::cos(angle),
                                                     truth.y() + distance * std::sin(angle)};
                        const auto found = crossing ? pontiva::snapToCrossing(pixels, at) : pontiva::snapToMark(pixels, at);
                        std::optional<double> error;
                        if (found)
                            error = std::hypot(found->x - truth.x(), found->y - truth.y());
                        tally.add(distance, error);
                        if (each && (!found || *error > threshold))
                            std::printf("    %s %s %zu at (%.2f, %.2f) from %.0f px, %d/8: %s\n", qPrintable(chart.kind),
                                        crossing ? "crossing" : "mark", i, truth.x(), truth.y(), distance, k,
                                        found ? qPrintable(QStringLiteral("(%1, %2), %3 px off")
                                                               .arg(found->x, 0, 'f', 2)
                                                               .arg(found->y, 0, 'f', 2)
                                                               .arg(*error, 0, 'f', 2))
                                              : "no snap");
                    }
            }
            row(chart.kind, crossing ? "crossing" : "mark", tally);
        }
    }
    return 0;
}
