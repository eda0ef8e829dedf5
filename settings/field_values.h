// Reading the number fields of the settings dialogs. The fields take any typed text (their
// up-down arrows do not limit it), so each value is checked when the dialog is confirmed.
#pragma once

#include <QString>

#include <optional>

// A decimal integer with an optional sign, blanks around it allowed; nothing else (no hex,
// no fractions). Values outside 32 bits are refused.
std::optional<int> ParseFieldInteger(const QString &text);

// Hours, minutes and seconds of a time limit: an empty field counts as 0; the parts are not
// range-checked (90 minutes or negative values are taken as they come). Empty when a field
// holds something else or the total does not fit in 32 bits.
std::optional<int> TimeLimitSeconds(const QString &hours, const QString &minutes,
                                    const QString &seconds);

// Minutes and seconds of the split interval; here an empty field is as wrong as any other
// non-number. On failure *badText gets the text to report: the first offending field's.
std::optional<int> SplitSeconds(const QString &minutes, const QString &seconds, QString *badText);
