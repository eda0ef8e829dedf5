# korvanta_moc_if_needed(<target> <sources...>)
# Runs moc for the target only when one of its own sources declares a QObject class: most test
# and tool programs have none, and moc's scan and its extra compile unit per target added
# minutes to a build. The libraries keep the project-wide AUTOMOC.
function(korvanta_moc_if_needed target)
    set(needed OFF)
    foreach(source IN LISTS ARGN)
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        if(EXISTS ${path})
            file(STRINGS ${path} declarations REGEX "Q_(OBJECT|GADGET|NAMESPACE)")
            if(declarations)
                set(needed ON)
            endif()
        endif()
    endforeach()
    set_target_properties(${target} PROPERTIES AUTOMOC ${needed})
endfunction()

# korvanta_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [PULSE])
# One GoogleTest executable per test file, run by CTest. GUI tests get a QApplication
# (offscreen), core tests a QCoreApplication. Tests run on the virtual sound card, or with
# PULSE on the sound-server backend, twice: as <name> inside scripts/with-pulseaudio.sh
# and as <name>_pipewire inside scripts/with-pipewire.sh. Each wrapper starts a private
# headless server before the test and stops it afterwards; where its server is missing or
# cannot start it exits 77 and ctest reports a skip (unless KORVANTA_REQUIRE_SERVERS=1, as
# in CI, which makes that a failure). A sanitizer build runs the server tests once, on
# PulseAudio: the backend's code is the same for both servers, and the second pass doubled
# the sanitizer run's longest part.
function(korvanta_add_test name)
    cmake_parse_arguments(ARG "GUI;PULSE" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    korvanta_moc_if_needed(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE korvanta_test_main_gui)
    else()
        target_link_libraries(${name} PRIVATE korvanta_test_main_core)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(ARG_PULSE)
        add_test(NAME ${name} COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/with-pulseaudio.sh
                                      $<TARGET_FILE:${name}>)
        set(tests ${name})
        if(NOT KORVANTA_SANITIZE)
            add_test(NAME ${name}_pipewire
                     COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/with-pipewire.sh
                             $<TARGET_FILE:${name}>)
            list(APPEND tests ${name}_pipewire)
        endif()
        set_tests_properties(${tests} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_AUDIO=pulse"
            SKIP_RETURN_CODE 77 TIMEOUT 300 LABELS server)
    else()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_AUDIO=virtual" TIMEOUT 300)
    endif()
endfunction()

# korvanta_add_wayland_test(<name> [ARGS <arguments...>])
# Runs the already added test <name> a second time, as <name>_wayland, as a native Wayland
# client of a private headless compositor (scripts/with-weston.sh), on the virtual sound
# card. A whole window behaves there as offscreen, but paints into the compositor's swapped
# buffers; without weston the wrapper exits 77 and ctest reports a skip.
function(korvanta_add_wayland_test name)
    cmake_parse_arguments(ARG "" "" "ARGS" ${ARGN})
    add_test(NAME ${name}_wayland COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/with-weston.sh
                                          $<TARGET_FILE:${name}> ${ARG_ARGS})
    set_tests_properties(${name}_wayland PROPERTIES
        ENVIRONMENT "KORVANTA_AUDIO=virtual" SKIP_RETURN_CODE 77 TIMEOUT 300)
endfunction()
