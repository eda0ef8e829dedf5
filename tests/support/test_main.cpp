// Test entry point: a Qt application object (widgets or core) for the whole run, offscreen
// and on the virtual sound card, so tests are independent of the machine's display and audio.
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef KORVANTA_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KORVANTA_AUDIO", "virtual", 0);
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
