// The entry point of the tag module (built only into korvanta-tags.so).
#include "audio/codec/tag_module.h"

using namespace korvanta::codec;

namespace {

constexpr TagModule kModule{kTagModuleVersion, &readTags, &writeTags};

}  // namespace

extern "C" __attribute__((visibility("default"))) const TagModule *korvanta_tag_module() {
    return &kModule;
}
