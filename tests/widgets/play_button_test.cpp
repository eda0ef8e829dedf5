#include "widgets/nct_play_button_b2.h"

#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <vector>

namespace {

class PlayButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(290, 27);
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
        QObject::connect(&bar, &TNCTPlayButtonB2::OnMouseClick, &bar, [this](int code) {
            clicks.push_back(code);
            muteWhenReported.push_back(bar.Mute());
        });
    }
    void click(int code) {
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.buttonRect(code).center());
    }
    TNCTPlayButtonB2 bar;
    std::vector<int> clicks;
    std::vector<bool> muteWhenReported;
};

}  // namespace

TEST_F(PlayButtonTest, EachButtonReportsItsCode) {
    for (int code : {TNCTPlayButtonB2::kPlay, TNCTPlayButtonB2::kPause, TNCTPlayButtonB2::kStop,
                     TNCTPlayButtonB2::kRecord})
        click(code);
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 3, 4}));
    // Clicking only reports; the shown state is the program's to set.
    EXPECT_EQ(bar.ShownState(), TNCTPlayButtonB2::TShownState::Stop);
}

TEST_F(PlayButtonTest, MuteFlipsBeforeItIsReported) {
    ASSERT_FALSE(bar.Mute());
    click(TNCTPlayButtonB2::kMute);
    click(TNCTPlayButtonB2::kMute);
    EXPECT_EQ(clicks, (std::vector<int>{7, 7}));
    EXPECT_EQ(muteWhenReported, (std::vector<bool>{true, false}));
    EXPECT_FALSE(bar.Mute());

    // Setting it from the program is quiet.
    bar.setMute(true);
    EXPECT_TRUE(bar.Mute());
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(PlayButtonTest, ReleaseAwayFromThePressedButtonIsNoClick) {
    QTest::mousePress(&bar, Qt::LeftButton, {}, bar.buttonRect(TNCTPlayButtonB2::kRecord).center());
    QTest::mouseMove(&bar, bar.buttonRect(TNCTPlayButtonB2::kStop).center());
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, bar.buttonRect(TNCTPlayButtonB2::kStop).center());
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PlayButtonTest, DisabledBarReportsNothing) {
    bar.setEnabled(false);
    click(TNCTPlayButtonB2::kPlay);
    click(TNCTPlayButtonB2::kMute);
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(bar.Mute());
}

TEST_F(PlayButtonTest, StateMethodsOnlyChangeTheLook) {
    const QImage stopped = bar.grab().toImage();
    bar.Play();
    EXPECT_EQ(bar.ShownState(), TNCTPlayButtonB2::TShownState::Play);
    EXPECT_NE(bar.grab().toImage(), stopped);
    bar.Pause();
    EXPECT_EQ(bar.ShownState(), TNCTPlayButtonB2::TShownState::Pause);
    bar.Record_();
    EXPECT_EQ(bar.ShownState(), TNCTPlayButtonB2::TShownState::Record);
    bar.Stop();
    EXPECT_EQ(bar.ShownState(), TNCTPlayButtonB2::TShownState::Stop);
    EXPECT_EQ(bar.grab().toImage(), stopped);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(PlayButtonTest, VolumeFromTheProgramIsQuietFromTheUserReported) {
    QSignalSpy spy(&bar, &TNCTPlayButtonB2::OnChangeVolume);
    bar.ChangeVolume(30000);
    EXPECT_EQ(bar.Volume(), 30000);
    bar.ChangeVolume(70000);
    EXPECT_EQ(bar.Volume(), 65535);
    bar.ChangeVolume(-1);
    EXPECT_EQ(bar.Volume(), 0);
    EXPECT_EQ(spy.count(), 0);

    const QRect volume = bar.volumeRect();
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(volume.right(), volume.center().y()));
    QTest::mouseMove(&bar, QPoint(volume.left() + volume.width() / 2, volume.center().y()));
    QTest::mouseMove(&bar, QPoint(volume.left() - 30, volume.center().y()));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(volume.left() - 30, volume.center().y()));
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 65535);
    EXPECT_NEAR(spy.at(1).at(0).toInt(), 32768, 2000);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 0);
    EXPECT_EQ(bar.Volume(), 0);
    EXPECT_TRUE(clicks.empty()) << "the volume slider is no button";
}

TEST_F(PlayButtonTest, LayoutFitsFromTheNarrowestWindowUp) {
    // 250 is the bar's width at the smallest main window.
    for (int width : {200, 250, 290, 420, 900}) {
        bar.resize(width, 27);
        std::vector<QRect> parts;
        for (int code : {1, 2, 3, 4, 7})
            parts.push_back(bar.buttonRect(code));
        parts.push_back(bar.volumeRect());
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_TRUE(bar.rect().contains(parts[i])) << "width " << width << " part " << i;
            EXPECT_GE(parts[i].width(), 20) << "width " << width << " part " << i;
            for (size_t j = i + 1; j < parts.size(); ++j)
                EXPECT_FALSE(parts[i].intersects(parts[j])) << "width " << width;
        }
        EXPECT_TRUE(bar.buttonRect(5).isNull());
    }
}

// Over the volume the hint reads the volume as the user thinks of it, in percent; elsewhere
// it is the bar's own hint.
TEST_F(PlayButtonTest, TheVolumeHintReadsInPercent) {
    bar.setToolTip(QStringLiteral("Play/Record Control"));
    bar.ChangeVolume(37062);
    auto hintAt = [this](const QPoint &pos) {
        QHelpEvent help(QEvent::ToolTip, pos, bar.mapToGlobal(pos));
        QApplication::sendEvent(&bar, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hintAt(bar.volumeRect().center()), QStringLiteral("Volume: 57 %"));
    EXPECT_EQ(hintAt(bar.buttonRect(TNCTPlayButtonB2::kPlay).center()),
              QStringLiteral("Play/Record Control"));
    QToolTip::hideText();
}
