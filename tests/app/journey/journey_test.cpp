// Journeys through the whole window on the virtual card: seeded random sequences of what a
// user does in a working day (record, pause, stop, play, the slider, the list, tags, open,
// mute, options, a restart), each step checked against a plain model. A failure prints its
// seed and the shortest sequence found by dropping steps that still fails.
//
// CI runs the fixed seeds below. For a soak, give a count or a time and a first seed:
//   journey_test --journeys=500 [--journey-first-seed=1000]
//   journey_test --journey-minutes=60
// and to replay a failure: journey_test --journey-seed=N [--journey-keep=0,3,7]
// (--journey-no-shrink=1 reports failures without shortening them; --journey-trace=1 prints
// every step with the window's state after it).
#include "tests/app/journey/journey_run.h"
#include "tests/app/journey/journey_sound.h"
#include "tests/support/test_backend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <optional>

using namespace journey;

namespace {

// CI walks seeds 1 to kCiSeeds, about three minutes of journeys.
constexpr uint32_t kCiSeeds = 40;
constexpr int kShrinkBudgetMs = 240000;

QString argument(const QString &name) {
    const QString prefix = QStringLiteral("--") + name + QLatin1Char('=');
    for (const QString &arg : QCoreApplication::arguments()) {
        if (arg.startsWith(prefix))
            return arg.mid(prefix.size());
    }
    return QString();
}

int stepCount(uint32_t seed) {
    return 20 + static_cast<int>(seed * 7919u % 21u);  // 20 to 40
}

// A failure's kind: its text without file names and numbers, so that shortening keeps
// chasing the same fault rather than another one met on the way.
QString kindOf(const std::vector<Step> &steps, const Failure &failure) {
    QStringList words = failure.what.split(QLatin1Char(' '));
    if (failure.step >= 0)
        words.prepend(
            describe(steps[static_cast<size_t>(failure.step)]).section(QLatin1Char('('), 0, 0));
    for (QString &w : words) {
        if (w.contains(QLatin1Char('/')) || w.contains(QRegularExpression(QStringLiteral("[0-9]"))))
            w = QStringLiteral("_");
    }
    return words.join(QLatin1Char(' '));
}

std::optional<Failure> runOnce(const std::vector<Step> &steps) {
    JourneyRun run(testBackend());
    run.setTrace(!argument(QStringLiteral("journey-trace")).isEmpty());
    return run.run(steps);
}

// Drops steps, halves first, then one at a time, for as long as the journey still fails
// and the time allows.
std::vector<Step> shrink(std::vector<Step> steps, const QString &kind, std::vector<int> *kept) {
    QElapsedTimer clock;
    clock.start();
    std::vector<int> indices(steps.size());
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<int>(i);
    for (size_t chunk = steps.size() / 2; chunk >= 1; chunk /= 2) {
        bool dropped = true;
        while (dropped && clock.elapsed() < kShrinkBudgetMs) {
            dropped = false;
            for (size_t from = 0;
                 from + chunk <= steps.size() && clock.elapsed() < kShrinkBudgetMs;) {
                std::vector<Step> fewer = steps;
                fewer.erase(fewer.begin() + long(from), fewer.begin() + long(from + chunk));
                const std::optional<Failure> failure = runOnce(fewer);
                if (failure && kindOf(fewer, *failure) == kind) {
                    steps = fewer;
                    indices.erase(indices.begin() + long(from),
                                  indices.begin() + long(from + chunk));
                    dropped = true;
                } else {
                    from += chunk;
                }
            }
        }
        if (chunk == 1)
            break;
    }
    *kept = indices;
    return steps;
}

// Runs one seed; on a failure, adds it to the test's failures with the shortest sequence.
void runJourney(uint32_t seed, const std::vector<int> &keep = {}) {
    std::vector<Step> steps = drawSteps(seed, stepCount(seed));
    if (!keep.empty()) {
        std::vector<Step> chosen;
        for (int i : keep) {
            if (i >= 0 && i < static_cast<int>(steps.size()))
                chosen.push_back(steps[static_cast<size_t>(i)]);
        }
        steps = chosen;
    }
    const std::optional<Failure> failure = runOnce(steps);
    if (!failure)
        return;
    QString report =
        QStringLiteral("seed %1, step %2 of %3 (%4): %5\n")
            .arg(seed)
            .arg(failure->step)
            .arg(steps.size())
            .arg(failure->step >= 0 ? describe(steps[static_cast<size_t>(failure->step)])
                                    : QStringLiteral("start"))
            .arg(failure->what);
    if (keep.empty() && argument(QStringLiteral("journey-no-shrink")).isEmpty()) {
        std::vector<int> kept;
        const std::vector<Step> shortest = shrink(steps, kindOf(steps, *failure), &kept);
        const std::optional<Failure> again = runOnce(shortest);
        QStringList indices;
        for (int i : kept)
            indices << QString::number(i);
        report += QStringLiteral(
                      "shortest failing sequence, %1 steps (--journey-seed=%2 "
                      "--journey-keep=%3): %4\n  fails with: %5")
                      .arg(shortest.size())
                      .arg(seed)
                      .arg(indices.join(QLatin1Char(',')))
                      .arg(describe(shortest))
                      .arg(again ? again->what : QStringLiteral("(passed when run again)"));
    }
    ADD_FAILURE() << report.toStdString();
}

}  // namespace

TEST(Journey, EverydaySequencesOfFixedSeedsMatchTheModel) {
    ASSERT_FALSE(preparedFiles().isEmpty());
    const QString seed = argument(QStringLiteral("journey-seed"));
    if (!seed.isEmpty()) {
        std::vector<int> keep;
        for (const QString &i :
             argument(QStringLiteral("journey-keep")).split(QLatin1Char(','), Qt::SkipEmptyParts))
            keep.push_back(i.toInt());
        runJourney(seed.toUInt(), keep);
        return;
    }
    const int count = argument(QStringLiteral("journeys")).toInt();
    const int minutes = argument(QStringLiteral("journey-minutes")).toInt();
    if (count <= 0 && minutes <= 0) {
        for (uint32_t s = 1; s <= kCiSeeds; ++s)
            runJourney(s);
        return;
    }
    // The soak: seeds one after another until the count or the time is reached.
    uint32_t next = argument(QStringLiteral("journey-first-seed")).toUInt();
    if (next == 0)
        next = 1000;
    QElapsedTimer clock;
    clock.start();
    int done = 0;
    while ((count <= 0 || done < count) && (minutes <= 0 || clock.elapsed() < minutes * 60000LL)) {
        runJourney(next++);
        ++done;
    }
    std::printf("%d journeys run\n", done);
}
