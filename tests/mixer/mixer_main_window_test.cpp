// The mixer tabs of the main window on the virtual sound card, with the equaliser and the
// recording filters windows created beside it as at program start.
#include "app/tform1.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "mixer/adv_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "settings/app_paths.h"
#include "settings/recording_settings.h"
#include "tests/support/test_backend.h"
#include "tests/support/test_settings.h"
#include "widgets/nct_equalizer2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

class MixerTabs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path() + QLatin1Char('/'));
        testRecordingSettings() = RecordingSettings();
        window_ =
            std::make_unique<TForm1>(testBackend(), testRecordingSettings(), testCaptureSettings());
        eq_ =
            std::make_unique<TfrmEQ>(*window_->AudioPlayer1, window_->chEqualizer(), window_.get());
        window_->setEqualizerForm(eq_.get());
        filters_ = std::make_unique<TfrmRecFlt>(*window_->AudioRecord1, window_.get());
        window_->setRecordingFilterForm(filters_.get());
        window_->show();
        QCoreApplication::processEvents();
        // The source panels are built when their tab is first shown.
        window_->Options1Click();
        window_->PlaybackVolumeControls1Click();
        window_->PageControl1->setCurrentIndex(0);
        QCoreApplication::processEvents();
    }

    void TearDown() override {
        filters_.reset();
        eq_.reset();
        window_.reset();
        setExecutableDirectoryForTesting(QString());
    }

    TsrcFrame *panel(QWidget *sheet, const QString &name) {
        return sheet->findChild<TsrcFrame *>(name, Qt::FindDirectChildrenOnly);
    }

    // Runs `inside` once a modal window is up, then closes it.
    static void whileModal(const std::function<void(QWidget *)> &inside) {
        auto *timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, inside] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                timer->stop();
                inside(modal);
                modal->close();
                timer->deleteLater();
            }
        });
        timer->start(10);
    }

    QTemporaryDir dir_;
    std::unique_ptr<TForm1> window_;
    std::unique_ptr<TfrmEQ> eq_;
    std::unique_ptr<TfrmRecFlt> filters_;
};

}  // namespace

TEST_F(MixerTabs, PanelsShowTheLinesOfTheVirtualCard) {
    TForm1 &w = *window_;
    // Under the device row: at 26, or lower where the style draws the row taller.
    auto rowBottom = [](std::initializer_list<QWidget *> row) {
        int bottom = 0;
        for (QWidget *widget : row)
            bottom = std::max(bottom, widget->y() + widget->height());
        return std::max(26, bottom + 2);
    };
    const int top = rowBottom({w.DeviceCombo, w.chEqualizer()});
    const int topIn = rowBottom({w.DeviceComboIn, w.btnSetFilter()});

    const QStringList outputs = {QStringLiteral("Master"), QStringLiteral("Wave")};
    ASSERT_EQ(SourcePanelsOf(w.TabSheet4).size(), 2);
    for (int i = 0; i < 2; ++i) {
        TsrcFrame *p = panel(w.TabSheet4, QStringLiteral("sf%1").arg(i));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Label1->text(), outputs[i]);
        EXPECT_EQ(p->geometry(), QRect(i * 79, top, 81, 185));
        EXPECT_EQ(p->CheckBox1->text(), QStringLiteral("Mute"));
        EXPECT_TRUE(p->CheckBox1->isEnabled() && p->TrackBar1->isEnabled());
        EXPECT_FALSE(p->Button1->isVisibleTo(p));
    }
    const QStringList inputs = {QStringLiteral("Microphone"), QStringLiteral("Line In"),
                                QStringLiteral("Stereo Mix")};
    ASSERT_EQ(SourcePanelsOf(w.TabSheet3).size(), 3);
    for (int i = 0; i < 3; ++i) {
        TsrcFrame *p = panel(w.TabSheet3, QStringLiteral("sfr%1").arg(i));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Label1->text(), inputs[i]);
        EXPECT_EQ(p->geometry(), QRect(i * 79, topIn, 81, 185));
        EXPECT_EQ(p->CheckBox1->text(), QStringLiteral("Select"));
        EXPECT_EQ(p->Button1->isVisibleTo(p), i == 0);  // only the microphone has extras
        w.AudioRecord1->setSrcInput(i);
        EXPECT_EQ(p->CheckBox1->isChecked(), w.AudioRecord1->srcSelect());
        EXPECT_EQ(p->TrackBar1->value(), 65535 - w.AudioRecord1->srcVolume());
    }
}

TEST_F(MixerTabs, ChoosingADeviceRebuildsItsPanelsUnderTheSameNames) {
    TForm1 &w = *window_;
    QPointer<TsrcFrame> old = panel(w.TabSheet3, QStringLiteral("sfr1"));
    Q_EMIT w.DeviceComboIn->activated(w.DeviceComboIn->currentIndex());
    EXPECT_TRUE(old.isNull());
    EXPECT_NE(panel(w.TabSheet3, QStringLiteral("sfr1")), nullptr);

    const int width = w.width();
    w.AudioRecord1->setDevInput(1);  // no lines
    w.SetSrcInput();
    EXPECT_TRUE(SourcePanelsOf(w.TabSheet3).isEmpty());
    EXPECT_EQ(w.width(), width);
    w.AudioRecord1->setDevInput(0);
    w.SetSrcInput();
}

TEST_F(MixerTabs, SelectClearsTheOthersAndVolumeAtTheTopIsFullScale) {
    TForm1 &w = *window_;
    panel(w.TabSheet3, QStringLiteral("sfr2"))->CheckBox1->click();
    EXPECT_FALSE(panel(w.TabSheet3, QStringLiteral("sfr0"))->CheckBox1->isChecked());
    EXPECT_FALSE(panel(w.TabSheet3, QStringLiteral("sfr1"))->CheckBox1->isChecked());
    EXPECT_TRUE(panel(w.TabSheet3, QStringLiteral("sfr2"))->CheckBox1->isChecked());
    EXPECT_EQ(w.AudioRecord1->srcInput(), 2);  // the last line stays selected
    panel(w.TabSheet3, QStringLiteral("sfr0"))->CheckBox1->click();
    EXPECT_FALSE(panel(w.TabSheet3, QStringLiteral("sfr2"))->CheckBox1->isChecked());

    QSlider *volume = panel(w.TabSheet4, QStringLiteral("sf1"))->TrackBar1;
    w.AudioPlayer1->setSrcOutput(0);
    volume->setValue(1000);
    EXPECT_EQ(w.AudioPlayer1->srcOutput(), 1);
    EXPECT_EQ(w.AudioPlayer1->srcVolume(), 64535);
    EXPECT_EQ(volume->toolTip(), QStringLiteral("98 %"));
    volume->setValue(0);
    EXPECT_EQ(w.AudioPlayer1->srcVolume(), 65535);
    EXPECT_EQ(volume->toolTip(), QStringLiteral("100 %"));
}

TEST_F(MixerTabs, AdvancedOpensTheDialogForItsLine) {
    TForm1 &w = *window_;
    w.AudioRecord1->setSrcInput(2);
    QString title;
    int rows = 0;
    whileModal([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<TfrmAdv *>(modal)) {
            title = dialog->windowTitle();
            rows = dialog->gbOther->findChildren<QCheckBox *>().size() +
                   dialog->gbOther->findChildren<QSlider *>().size();
        }
    });
    panel(w.TabSheet3, QStringLiteral("sfr0"))->Button1->click();
    EXPECT_EQ(title, QStringLiteral("Advanced Properties for Microphone"));
    EXPECT_EQ(rows, 2);  // "Mic Boost" and "Gain"
}

TEST_F(MixerTabs, TheEqualiserBandsAreReachedFromThePlaybackTab) {
    TForm1 &w = *window_;
    w.PlaybackVolumeControls1Click();
    w.resize(800, w.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.chEqualizer()->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(w.DeviceCombo->x() + w.DeviceCombo->width() + 8, w.chEqualizer()->x());
    auto *open = w.TabSheet4->findChild<QPushButton *>(QStringLiteral("ToolBtnEqualizer"));
    ASSERT_NE(open, nullptr);
    EXPECT_GT(open->x(), w.chEqualizer()->x() + w.chEqualizer()->width());

    bool shownModal = false;
    whileModal([&](QWidget *modal) {
        shownModal = modal == eq_.get();
        TNCTEqualizer2 *bands = eq_->NCTEqualizer1;
        const QPointF at(bands->bandRect(6).center().x(), bands->yForDb(6.0f));
        QMouseEvent press(QEvent::MouseButtonPress, at, bands->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bands, &press);
    });
    open->click();
    EXPECT_TRUE(shownModal);
    EXPECT_EQ(w.chEqualizer()->checkState(), Qt::Checked);
    EXPECT_TRUE(w.AudioPlayer1->EqualizerEnabled());
    w.chEqualizer()->click();
    EXPECT_FALSE(w.AudioPlayer1->EqualizerEnabled());
}

TEST_F(MixerTabs, SetFilterShowsTheFiltersSetUpAtStartWithoutBlocking) {
    TForm1 &w = *window_;
    EXPECT_EQ(filters_->Edit3->text(),
              QString::number(qRound(w.AudioRecord1->LowPassFilterFrequency())));
    w.btnSetFilter()->click();
    EXPECT_TRUE(filters_->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    filters_->TrackBar1->setValue(60);
    EXPECT_EQ(w.AudioRecord1->NotchFilterFrequency(), 60.0f);
    filters_->close();
    EXPECT_FALSE(filters_->isVisible());
    w.btnSetFilter()->click();  // hidden, not destroyed: the same dialog shows again
    EXPECT_TRUE(filters_->isVisible());
    filters_->close();
}
