# korvanta_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [PULSE])
# One GoogleTest executable per test file, run by CTest. GUI tests get a QApplication
# (offscreen), core tests a QCoreApplication. Tests run on the virtual sound card, or with
# PULSE on the sound-server backend inside scripts/with-pulseaudio.sh: a private headless
# server is started before and stopped after the test; where the pulseaudio program is
# missing the wrapper exits 77 and ctest reports a skip.
function(korvanta_add_test name)
    cmake_parse_arguments(ARG "GUI;PULSE" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
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
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_AUDIO=pulse"
            SKIP_RETURN_CODE 77 TIMEOUT 300)
    else()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_AUDIO=virtual" TIMEOUT 300)
    endif()
endfunction()
