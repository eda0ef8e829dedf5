// Opens a library of the system the first time one of its functions is needed, so that the
// window shows without paying for loading it (and whatever it loads in turn). The functions
// are looked up into a table of typed pointers, which the library's own header (e.g.
// pulse_api.h) fills in and routes calls through.
#pragma once

#include <QString>
#include <QtGlobal>

#include <initializer_list>

namespace korvanta {

struct LibrarySymbol {
    const char *name;
    void **slot;  // receives the function's address
};

// Opens `fileName` (a soname such as "libpulse.so.0", or a path) and fills every slot.
// Returns false with a message for the user naming the library and what is missing, and
// leaves the library closed, when the file can't be opened or lacks one of the functions.
// Never closes a library it opened: pointers taken from it live as long as the program.
bool openLibrary(const char *fileName, std::initializer_list<LibrarySymbol> symbols,
                 QString *errorText);

// A table of a library's functions with the outcome of opening it.
template <class Api>
struct LoadedLibrary {
    Api api;
    QString error;
    bool ok = false;
};

// The table if the library opened; null, with the reason in `errorText` (if given), if not.
template <class Api>
const Api *loadedTable(const LoadedLibrary<Api> &library, QString *errorText) {
    if (!library.ok && errorText != nullptr)
        *errorText = library.error;
    return library.ok ? &library.api : nullptr;
}

// The table, for code that only runs once the library opened; stops the program with the
// reason otherwise.
template <class Api>
const Api &openedTable(const LoadedLibrary<Api> &library) {
    if (!library.ok)
        qFatal("%s", qPrintable(library.error));
    return library.api;
}

}  // namespace korvanta

#define KORVANTA_LAZY_POINTER(name) decltype(&::name) name = nullptr;
#define KORVANTA_LAZY_SYMBOL(name) {#name, reinterpret_cast<void **>(&library.api.name)},

// Declares, for a library's *_api.h inside namespace korvanta, the struct `Api` of pointers to
// the functions the X-macro `FUNCTIONS` lists, `loadFunction(QString *errorText)`, which opens
// the library on its first call (from any thread) and returns the table, or null with the reason
// if it can't, and `tableFunction()`, the table for code that only runs once it loaded (which
// stops the program with the reason otherwise).
#define KORVANTA_DECLARE_LAZY_LIBRARY(Api, FUNCTIONS, loadFunction, tableFunction) \
    struct Api {                                                                   \
        FUNCTIONS(KORVANTA_LAZY_POINTER)                                           \
    };                                                                             \
    const Api *loadFunction(QString *errorText);                                   \
    const Api &tableFunction();

// Defines `loadFunction(QString *errorText)`, which opens `fileName` on its first call (from any
// thread) and returns the table `Api` of the functions the X-macro `FUNCTIONS` lists (null, with
// the reason, if it can't), and `tableFunction()` (see openedTable above). For a library's
// *_api.cpp, inside namespace korvanta.
#define KORVANTA_DEFINE_LAZY_LIBRARY(Api, fileName, FUNCTIONS, loadFunction, tableFunction)        \
    static const LoadedLibrary<Api> &loaded##Api() {                                               \
        static const LoadedLibrary<Api> loaded = [] {                                              \
            LoadedLibrary<Api> library;                                                            \
            library.ok = openLibrary(fileName, {FUNCTIONS(KORVANTA_LAZY_SYMBOL)}, &library.error); \
            return library;                                                                        \
        }();                                                                                       \
        return loaded;                                                                             \
    }                                                                                              \
    const Api *loadFunction(QString *errorText) {                                                  \
        return loadedTable(loaded##Api(), errorText);                                              \
    }                                                                                              \
    const Api &tableFunction() {                                                                   \
        return openedTable(loaded##Api());                                                         \
    }
