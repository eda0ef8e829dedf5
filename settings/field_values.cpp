#include "settings/field_values.h"

#include <cstdint>
#include <limits>

namespace {

std::optional<int> fitIn32Bits(int64_t value) {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> emptyAsZero(const QString &text) {
    if (text.trimmed().isEmpty())
        return 0;
    return ParseFieldInteger(text);
}

}  // namespace

std::optional<int> ParseFieldInteger(const QString &text) {
    const QString t = text.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == QLatin1Char('+') || t[pos] == QLatin1Char('-'))) {
        negative = t[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos == t.size())
        return std::nullopt;
    int64_t value = 0;
    for (; pos < t.size(); ++pos) {
        const QChar c = t[pos];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > int64_t{std::numeric_limits<int>::max()} + 1)
            return std::nullopt;
    }
    return fitIn32Bits(negative ? -value : value);
}

std::optional<int> TimeLimitSeconds(const QString &hours, const QString &minutes,
                                    const QString &seconds) {
    const std::optional<int> h = emptyAsZero(hours);
    const std::optional<int> m = emptyAsZero(minutes);
    const std::optional<int> s = emptyAsZero(seconds);
    if (!h || !m || !s)
        return std::nullopt;
    return fitIn32Bits(int64_t{*h} * 3600 + int64_t{*m} * 60 + *s);
}

std::optional<int> SplitSeconds(const QString &minutes, const QString &seconds, QString *badText) {
    const std::optional<int> m = ParseFieldInteger(minutes);
    if (!m) {
        *badText = minutes;
        return std::nullopt;
    }
    const std::optional<int> s = ParseFieldInteger(seconds);
    if (!s) {
        *badText = seconds;
        return std::nullopt;
    }
    const std::optional<int> total = fitIn32Bits(int64_t{*m} * 60 + *s);
    if (!total)
        *badText = fitIn32Bits(int64_t{*m} * 60) ? seconds : minutes;
    return total;
}
