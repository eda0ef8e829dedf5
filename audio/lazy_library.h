// Opens a library of the system the first time one of its functions is needed, so that the
// window shows without paying for loading it (and whatever it loads in turn). The functions
// are looked up into a table of typed pointers, which the library's own header (e.g.
// pulse_api.h) fills in and routes calls through.
#pragma once

#include <QString>

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

}  // namespace korvanta
