#pragma once

#include <QString>

#include <array>
#include <functional>
#include <vector>

// The sizes every operation is timed at.
inline constexpr std::array<int, 3> kSizes = {1000, 10000, 100000};

// The median of reps timings of op, in milliseconds; prepare runs before
// each timing and is not counted.
double medianMs(int reps, const std::function<void()>& op,
                const std::function<void()>& prepare = {});

// What an operation's time at 100 000 persons is held against.
struct Target {
    enum Reference { Baseline, OpenIntoModels, Operation, None } reference = None;
    double factor = 0;
    // For Operation: the name of the row whose time it is held against.
    QString operation = {};
};

// How an operation may grow per tenfold of persons.
enum class Growth { Linear, NLogN };

// The timings of one run, printed as one table.
class BenchReport {
public:
    void setBaseline(size_t sizeIndex, double ms) { baseline_[sizeIndex] = ms; }
    void setOpenIntoModels(size_t sizeIndex, double ms) { openModels_[sizeIndex] = ms; }
    void add(const QString& name, size_t sizeIndex, double ms, Target target,
             Growth growth = Growth::Linear);
    // Prints every operation; returns how many targets were missed.
    int print() const;

private:
    struct Row {
        QString name;
        std::array<double, kSizes.size()> ms{};
        Target target;
        Growth growth;
    };
    std::array<double, kSizes.size()> baseline_{};
    std::array<double, kSizes.size()> openModels_{};
    std::vector<Row> rows_;
};
