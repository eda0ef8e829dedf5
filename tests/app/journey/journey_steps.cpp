#include "tests/app/journey/journey_steps.h"

#include <QStringList>

#include <random>

namespace journey {

namespace {

struct Weighted {
    Act act;
    int weight;
};

// Transport and the list come up most; settings and restarts now and then.
constexpr Weighted kWeights[] = {
    {Act::Record, 10},        {Act::Pause, 5},    {Act::Stop, 10},     {Act::Play, 10},
    {Act::Wait, 8},           {Act::Slider, 8},   {Act::ClickRow, 10}, {Act::Rename, 3},
    {Act::DeleteFromDisk, 2}, {Act::TagApply, 6}, {Act::Open, 6},      {Act::Mute, 3},
    {Act::Volume, 2},         {Act::Format, 3},   {Act::AutoStop, 2},  {Act::AutoSplit, 2},
    {Act::Restart, 2},
};

QString actName(Act act) {
    switch (act) {
        case Act::Record:
            return QStringLiteral("Record");
        case Act::Pause:
            return QStringLiteral("Pause");
        case Act::Stop:
            return QStringLiteral("Stop");
        case Act::Play:
            return QStringLiteral("Play");
        case Act::Wait:
            return QStringLiteral("Wait");
        case Act::Slider:
            return QStringLiteral("Slider");
        case Act::ClickRow:
            return QStringLiteral("ClickRow");
        case Act::Rename:
            return QStringLiteral("Rename");
        case Act::DeleteFromDisk:
            return QStringLiteral("DeleteFromDisk");
        case Act::TagApply:
            return QStringLiteral("TagApply");
        case Act::Open:
            return QStringLiteral("Open");
        case Act::Mute:
            return QStringLiteral("Mute");
        case Act::Volume:
            return QStringLiteral("Volume");
        case Act::Format:
            return QStringLiteral("Format");
        case Act::AutoStop:
            return QStringLiteral("AutoStop");
        case Act::AutoSplit:
            return QStringLiteral("AutoSplit");
        case Act::Restart:
            return QStringLiteral("Restart");
    }
    return QString();
}

}  // namespace

std::vector<Step> drawSteps(uint32_t seed, int count) {
    std::mt19937 random(seed);
    int total = 0;
    for (const Weighted &w : kWeights)
        total += w.weight;
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        int pick = static_cast<int>(random() % static_cast<uint32_t>(total));
        Act act = Act::Wait;
        for (const Weighted &w : kWeights) {
            if (pick < w.weight) {
                act = w.act;
                break;
            }
            pick -= w.weight;
        }
        const uint32_t a = random() % 1000;
        const uint32_t b = random() % 1000;
        steps.push_back({act, a, b});
    }
    return steps;
}

QString describe(const Step &step) {
    return QStringLiteral("%1(%2,%3)").arg(actName(step.act)).arg(step.a).arg(step.b);
}

QString describe(const std::vector<Step> &steps) {
    QStringList parts;
    for (const Step &s : steps)
        parts << describe(s);
    return parts.join(QStringLiteral(", "));
}

}  // namespace journey
