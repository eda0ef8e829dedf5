# The Debian package, built from the install rules by `cpack -G DEB` in a build folder
# (scripts/package.sh does it all): korvanta-recorder_<version>_<arch>.deb, installing into
# /usr, with Depends worked out by dpkg-shlibdeps from the libraries the program and its codec
# module link, and those of the libraries it opens when first needed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvanta-recorder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvanta Sound Recorder developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sound recorder for microphones and what the computer plays")
# The extended description, one line of the control file per line here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Korvanta Sound Recorder records from any input of the PulseAudio or PipeWire"
    "sound server, or from the monitor of an output to capture what the computer"
    "plays, into MP3, WAV, WMA, FLAC, Ogg Opus or Ogg Vorbis files, with auto stop"
    "and auto split, a live spectrum and level bars. It plays back recordings and"
    "many other audio files, edits their tags, and sets the devices' mixer lines,"
    "a playback equaliser and recording filters.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Korvanta Sound Recorder developers <packaging@korvanta.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The sound server the program talks to (without one it starts with empty device lists),
# xdg-open, through which Help and Homepage reach the browser, and Qt's own translations, which
# put the standard dialogs and message box buttons into the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-utils, qt6-translations-l10n")
# libpulse, LAME, libmpg123 and FFTW are opened by name when first needed (audio/lazy_library.h), which
# dpkg-shlibdeps can't see: their packages are added here, looked up from the files.
set(KORVANTA_OPENED_LIBRARIES libpulse.so.0 libmp3lame.so.0 libmpg123.so.0 libfftw3f.so.3)
set(KORVANTA_OPENED_PACKAGES)
foreach(soname IN LISTS KORVANTA_OPENED_LIBRARIES)
    find_library(KORVANTA_OPENED_${soname} NAMES ${soname})
    execute_process(COMMAND dpkg-query -S ${KORVANTA_OPENED_${soname}}
                    OUTPUT_VARIABLE owner ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX MATCH "^[^:,]+" package "${owner}")
    if(package)
        list(APPEND KORVANTA_OPENED_PACKAGES ${package})
    else()
        message(WARNING "No package found for ${soname}; the Debian package won't depend on it")
    endif()
endforeach()
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${KORVANTA_OPENED_PACKAGES})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
