// Tag reading and writing live in korvanta-tags.so beside the program (TagLib and the C++
// library parts it brings are loaded when the first file's tags are read, not at start); this
// is what the module hands the program. readTags() and writeTags() of tag_access.h forward to
// it, and say "Cannot load the tag library: …" when it can't be loaded.
#pragma once

#include "audio/codec/tag_access.h"

#include <QString>
#include <QStringList>

namespace korvanta::codec {

// Changed whenever TagModule or what its functions take changes, so that a module left from
// another build is refused instead of called wrongly.
constexpr int kTagModuleVersion = 2;

struct TagModule {
    int version;
    bool (*read)(const QString &path, TagFormat format, int id3Version, TagValues *values,
                 QString *errorText);
    bool (*write)(const QString &path, TagFormat format, int id3Version, const TagValues &values,
                  QString *errorText, QString *noticeText);
};

// Opens the first of `paths` that holds the module. Null, with the reason for the user, when
// none does.
const TagModule *loadTagModule(const QStringList &paths, QString *errorText);

// The module beside the program (or in the build folder), opened on the first call.
const TagModule *tagModule(QString *errorText);

}  // namespace korvanta::codec
