// Work held back until the window's first paint: it runs after the paint, once, and still
// runs when no paint comes.
#include "app/after_first_paint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace {

TEST(AfterFirstPaintTest, RunsOnceAfterThePaint) {
    QWidget window;
    int runs = 0;
    auto *after = new AfterFirstPaint(&window, [&] { ++runs; });
    window.show();
    EXPECT_EQ(runs, 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    window.repaint();
    QCoreApplication::processEvents();
    after->runNow();
    EXPECT_EQ(runs, 1);
}

TEST(AfterFirstPaintTest, RunNowComesFirstWhenAsked) {
    QWidget window;
    int runs = 0;
    auto *after = new AfterFirstPaint(&window, [&] { ++runs; });
    after->runNow();
    EXPECT_EQ(runs, 1);
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
}

TEST(AfterFirstPaintTest, RunsWithoutAPaint) {
    QWidget window;  // never shown, so never painted
    bool ran = false;
    new AfterFirstPaint(&window, [&] { ran = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ran, 10000);
}

TEST(AfterFirstPaintTest, NothingRunsForAWindowGone) {
    bool ran = false;
    {
        QWidget window;
        new AfterFirstPaint(&window, [&] { ran = true; });
        window.show();
        window.repaint();
    }
    QTest::qWait(700);
    EXPECT_FALSE(ran);
}

}  // namespace
