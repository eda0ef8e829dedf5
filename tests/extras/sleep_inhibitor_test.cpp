// The sleep inhibitor against a fake portal and a fake login manager on private buses: which
// service is asked, with what, and that every inhibitor taken is let go again.
#include "extras/sleep_inhibitor.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_sleep_services.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using testsupport::FakeLoginManager;
using testsupport::FakePortal;
using testsupport::PrivateBus;
using testsupport::waitUntil;

class SleepInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!session_.isRunning() || !system_.isRunning())
            GTEST_SKIP() << "no dbus-daemon to run private buses";
    }

    // The inhibitor as the program makes it, on the private buses; `withSystemBus` false
    // gives it none at all.
    std::unique_ptr<SleepInhibitor> makeInhibitor(bool withSessionBus = true,
                                                  bool withSystemBus = true) {
        SleepInhibitor::BusOpener session, system;
        if (withSessionBus)
            session = [this] { return session_.connect(QStringLiteral("client")); };
        if (withSystemBus)
            system = [this] { return system_.connect(QStringLiteral("client")); };
        return std::make_unique<SleepInhibitor>(session, system);
    }

    PrivateBus session_{QStringLiteral("session")};
    PrivateBus system_{QStringLiteral("system")};
};

TEST_F(SleepInhibitorTest, PortalInhibitsSuspendAndIdleWithTheReasonUntilReleased) {
    FakePortal portal(session_.connect(QStringLiteral("portal")));
    FakeLoginManager logind(system_.connect(QStringLiteral("logind")));
    auto inhibitor = makeInhibitor();

    inhibitor->hold(QStringLiteral("Recording Untitled3.mp3"));
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors.size() == 1; }));
    EXPECT_EQ(portal.inhibitors[0].flags, 12u);
    EXPECT_EQ(portal.inhibitors[0].reason, QStringLiteral("Recording Untitled3.mp3"));
    // Holding on with the same reason asks nothing more.
    inhibitor->hold(QStringLiteral("Recording Untitled3.mp3"));
    EXPECT_EQ(inhibitor->reason(), QStringLiteral("Recording Untitled3.mp3"));

    inhibitor->release();
    EXPECT_TRUE(inhibitor->reason().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors[0].closed; }));
    EXPECT_EQ(portal.inhibitors.size(), 1u);
    EXPECT_TRUE(logind.inhibitors.empty());
}

TEST_F(SleepInhibitorTest, AnotherReasonTakesANewInhibitorAndLetsTheOldOneGo) {
    FakePortal portal(session_.connect(QStringLiteral("portal")));
    auto inhibitor = makeInhibitor();

    inhibitor->hold(QStringLiteral("Recording Untitled1.wav"));
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors.size() == 1; }));
    inhibitor->hold(QStringLiteral("Recording Untitled2.wav"));
    ASSERT_TRUE(
        waitUntil([&] { return portal.inhibitors.size() == 2 && portal.inhibitors[0].closed; }));
    EXPECT_EQ(portal.inhibitors[1].reason, QStringLiteral("Recording Untitled2.wav"));
    EXPECT_FALSE(portal.inhibitors[1].closed);

    inhibitor->release();
    ASSERT_TRUE(waitUntil([&] { return portal.openCount() == 0; }));
}

TEST_F(SleepInhibitorTest, ReleasedBeforeThePortalAnswersLetsGoWhenTheAnswerComes) {
    FakePortal portal(session_.connect(QStringLiteral("portal")));
    portal.holdAnswers = true;
    auto inhibitor = makeInhibitor();

    inhibitor->hold(QStringLiteral("Recording Untitled1.wav"));
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors.size() == 1; }));
    inhibitor->release();
    portal.answerAll();
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors[0].closed; }));
}

TEST_F(SleepInhibitorTest, WithoutAPortalTheLoginManagerHoldsUntilTheDescriptorCloses) {
    FakeLoginManager logind(system_.connect(QStringLiteral("logind")));
    auto inhibitor = makeInhibitor();

    inhibitor->hold(QStringLiteral("Recording Untitled3.mp3"));
    ASSERT_TRUE(waitUntil([&] { return logind.inhibitors.size() == 1; }));
    const FakeLoginManager::Inhibitor &taken = logind.inhibitors[0];
    EXPECT_EQ(taken.what, QStringLiteral("sleep:idle"));
    EXPECT_EQ(taken.who, QStringLiteral("Korvanta Sound Recorder"));
    EXPECT_EQ(taken.why, QStringLiteral("Recording Untitled3.mp3"));
    EXPECT_EQ(taken.mode, QStringLiteral("block"));
    EXPECT_FALSE(FakeLoginManager::released(taken));

    inhibitor->release();
    EXPECT_TRUE(waitUntil([&] { return FakeLoginManager::released(logind.inhibitors[0]); }));
}

TEST_F(SleepInhibitorTest, WithNeitherServiceOrNoBusAtAllNothingIsHeldAndNothingFails) {
    auto onEmptyBuses = makeInhibitor();
    onEmptyBuses->hold(QStringLiteral("Recording Untitled1.wav"));
    onEmptyBuses->release();
    auto withoutBuses = makeInhibitor(false, false);
    withoutBuses->hold(QStringLiteral("Recording Untitled1.wav"));
    EXPECT_EQ(withoutBuses->reason(), QStringLiteral("Recording Untitled1.wav"));
    withoutBuses->release();
    EXPECT_TRUE(withoutBuses->reason().isEmpty());
}

}  // namespace
