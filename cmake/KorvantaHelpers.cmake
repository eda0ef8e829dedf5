# korvanta_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI])
# One GoogleTest executable per test file, run by CTest. GUI tests get a QApplication
# (offscreen), core tests a QCoreApplication; both run with the virtual sound card.
function(korvanta_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE korvanta_test_main_gui)
    else()
        target_link_libraries(${name} PRIVATE korvanta_test_main_core)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANTA_AUDIO=virtual"
        TIMEOUT 300)
endfunction()
