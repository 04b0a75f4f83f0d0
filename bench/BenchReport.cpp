#include "BenchReport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

double medianMs(int reps, const std::function<void()>& op, const std::function<void()>& prepare) {
    std::vector<double> times;
    QElapsedTimer t;
    for (int i = 0; i < reps; ++i) {
        if (prepare)
            prepare();
        t.start();
        op();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void BenchReport::add(const QString& name, size_t sizeIndex, double ms, Target target,
                      Growth growth) {
    auto row =
        std::find_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.name == name; });
    if (row == rows_.end())
        row = rows_.insert(rows_.end(), Row{name, {}, target, growth});
    row->ms[sizeIndex] = ms;
}

int BenchReport::print() const {
    const size_t last = kSizes.size() - 1;
    std::printf("\nMedians in ms; ×B is the ratio to the baseline B of the same size (read the "
                "file's bytes and count its line ends); growth is per tenfold of persons.\n");
    std::printf("%-44s", "operation");
    for (int n : kSizes)
        std::printf(" %9d %6s", n, "×B");
    std::printf(" %7s %7s  %-18s\n", "growth", "growth", "target at 100 000");
    std::printf("%-44s", "baseline B");
    for (size_t s = 0; s < kSizes.size(); ++s)
        std::printf(" %9.2f %6s", baseline_[s], "1");
    std::printf("\n");
    int missed = 0;
    for (const Row& r : rows_) {
        std::printf("%-44s", r.name.toLocal8Bit().constData());
        for (size_t s = 0; s < kSizes.size(); ++s)
            std::printf(" %9.2f %6.3f", r.ms[s], r.ms[s] / baseline_[s]);
        // Linear growth is 10 per tenfold; n log n a little more. Half as
        // much again is flagged.
        double allowed = 10 * 1.5;
        if (r.growth == Growth::NLogN)
            allowed *= std::log(double(kSizes[last])) / std::log(double(kSizes[last - 1]));
        bool badGrowth = false;
        for (size_t s = 1; s < kSizes.size(); ++s) {
            // Times below a tenth of a millisecond are mostly fixed costs.
            const double g = r.ms[s] / std::max(r.ms[s - 1], 0.1);
            badGrowth = badGrowth || (s == last && g > allowed);
            std::printf(" %7.1f", g);
        }
        QString verdict;
        if (r.target.reference != Target::None) {
            double reference = baseline_[last];
            QString against = QStringLiteral("B");
            if (r.target.reference == Target::OpenIntoModels) {
                reference = openModels_[last];
                against = QStringLiteral("open");
            } else if (r.target.reference == Target::Operation) {
                for (const Row& other : rows_)
                    if (other.name == r.target.operation)
                        reference = other.ms[last];
                against = QLatin1Char('"') + r.target.operation + QLatin1Char('"');
            }
            const double ratio = r.ms[last] / reference;
            const bool ok = ratio <= r.target.factor;
            missed += ok ? 0 : 1;
            verdict = QStringLiteral("≤ %1 × %2: %3 %4")
                          .arg(r.target.factor)
                          .arg(against)
                          .arg(ratio, 0, 'f', 3)
                          .arg(ok ? QStringLiteral("ok") : QStringLiteral("MISSED"));
        }
        if (badGrowth)
            verdict +=
                QStringLiteral("  GROWS FASTER THAN ") +
                (r.growth == Growth::NLogN ? QStringLiteral("N LOG N") : QStringLiteral("LINEAR"));
        std::printf("  %s\n", verdict.toLocal8Bit().constData());
    }
    return missed;
}
