// Moving tags between the "File Info" fields and the information component.
#pragma once

#include <QString>

#include <cstdint>

class QComboBox;
class QLineEdit;
class TAudioInformation2;

// Leading blanks, an optional sign, then decimal digits or hex after "$" or "0x", nothing
// after, and the value fits in 32 bits. An empty text does not convert.
bool StrToIntStrict(const QString &text, int32_t *value);

struct TagFields {
    QLineEdit *title;
    QLineEdit *artist;
    QLineEdit *album;
    QComboBox *genre;
    QLineEdit *copyright;
    QLineEdit *year;
    QLineEdit *track;
    QLineEdit *comment;
};

// Reads the file's tags and shows them. False (fields unchanged) when the file could not
// be read; the reason is then in the component's LastErrorText.
bool ResetTagFields(TAudioInformation2 &info, const QString &fileName, const TagFields &f);

enum class ApplyResult { Written, WrittenWithChanges, InvalidYear, InvalidTrack, WriteFailed };

// Hands the fields to the component and writes them into the file. WrittenWithChanges: the
// file's tag couldn't hold the values as given; the component's LastNoticeText says what it
// holds instead.
ApplyResult ApplyTagFields(TAudioInformation2 &info, const QString &fileName, const TagFields &f);
