#include "audio/lazy_library.h"

#include <QCoreApplication>

#include <dlfcn.h>

namespace korvanta {

bool openLibrary(const char *fileName, std::initializer_list<LibrarySymbol> symbols,
                 QString *errorText) {
    // Local: the library's names stay out of the program's global scope, where every later
    // lookup would search them.
    void *handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        *errorText = QCoreApplication::translate("LazyLibrary", "Cannot load %1: %2")
                         .arg(QString::fromLocal8Bit(fileName), QString::fromLocal8Bit(dlerror()));
        return false;
    }
    for (const LibrarySymbol &symbol : symbols) {
        *symbol.slot = dlsym(handle, symbol.name);
        if (*symbol.slot == nullptr) {
            *errorText =
                QCoreApplication::translate("LazyLibrary", "Cannot load %1: it has no %2")
                    .arg(QString::fromLocal8Bit(fileName), QString::fromLatin1(symbol.name));
            for (const LibrarySymbol &s : symbols)
                *s.slot = nullptr;
            dlclose(handle);
            return false;
        }
    }
    return true;
}

}  // namespace korvanta
