// The window and every dialog at the desktop font and at a 25 % larger one: each caption
// (labels, buttons, check boxes, radio buttons, group titles, tabs, status panels) has the
// room its text needs, and the status panels keep apart.
#include "audio/audio_record2.h"
#include "extras/about_box.h"
#include "extras/tip_form.h"
#include "files/rename_form.h"
#include "mixer/adv_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <memory>

namespace {

// The advance the widget's font gives the text, less the "&" of a mnemonic.
int textWidth(const QWidget *w, const QString &text) {
    if (text.contains(QLatin1Char('&')))
        return w->fontMetrics().size(Qt::TextShowMnemonic, text).width();
    return w->fontMetrics().horizontalAdvance(text);
}

// The width a caption's text may take inside the widget, and the text, or -1 where the widget
// shows no caption of its own.
struct Caption {
    QString text;
    int room = -1;
};

Caption captionOf(const QWidget *w) {
    const QStyle *style = w->style();
    if (auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
            return {};
        return {label->text(),
                label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent())};
    }
    if (auto *box = qobject_cast<const QCheckBox *>(w))
        return {box->text(), box->width() - style->pixelMetric(QStyle::PM_IndicatorWidth) -
                                 style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)};
    if (auto *radio = qobject_cast<const QRadioButton *>(w))
        return {radio->text(), radio->width() -
                                   style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
                                   style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing)};
    if (auto *button = qobject_cast<const QPushButton *>(w)) {
        // The style draws the caption within the button's contents rectangle, beside the icon.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->autoDefault() || button->isDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return {
            button->text(),
            style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width() - icon};
    }
    if (auto *tool = qobject_cast<const QToolButton *>(w)) {
        if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return {};
        return {tool->text(), tool->width() - 4};
    }
    if (auto *group = qobject_cast<const QGroupBox *>(w))
        return {group->title(), group->width() - 12};
    return {};
}

// Every shown caption under `root` fits its room; word-wrapped labels word by word.
void expectCaptionsFit(QWidget *root) {
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    for (QWidget *w : all) {
        if (!w->isVisible())
            continue;
        const Caption caption = captionOf(w);
        if (caption.room < 0 || caption.text.isEmpty())
            continue;
        const auto *label = qobject_cast<const QLabel *>(w);
        const QStringList parts = label && label->wordWrap()
                                      ? caption.text.split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                      : QStringList{caption.text};
        for (const QString &part : parts) {
            EXPECT_LE(textWidth(w, part), caption.room)
                << w->metaObject()->className() << " \"" << caption.text.toStdString() << "\" in "
                << root->metaObject()->className();
        }
    }
}

// Each tab shows its icon and whole caption within the tab row, which the window shows whole.
void expectTabsWhole(QTabWidget *pages) {
    QTabBar *tabs = pages->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        SCOPED_TRACE(tabs->tabText(i).toStdString());
        QStyleOptionTab option;
        option.initFrom(tabs);
        option.rect = tabs->tabRect(i);
        option.text = tabs->tabText(i);
        option.icon = tabs->tabIcon(i);
        option.iconSize = tabs->iconSize();
        option.shape = tabs->shape();
        option.state |= i == tabs->currentIndex() ? QStyle::State_Selected : QStyle::State_None;
        const QRect text = tabs->style()->subElementRect(QStyle::SE_TabBarTabText, &option, tabs);
        EXPECT_GE(text.width(), textWidth(tabs, option.text));
        // The icon stands left of the caption, inside the tab.
        EXPECT_GE(text.left(), option.rect.left() + option.iconSize.width());
        EXPECT_LE(option.rect.right(), tabs->width());
    }
    EXPECT_LE(tabs->x() + tabs->width(), pages->width());
}

void expectStatusPanelsApart(QStatusBar *bar) {
    QList<QWidget *> panels;
    for (int i = 0; i < 3; ++i) {
        auto *panel = bar->findChild<QWidget *>(QStringLiteral("StatusPanel%1").arg(i));
        ASSERT_NE(panel, nullptr);
        panels << panel;
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(panels[i]->x(), 0);
        EXPECT_LE(panels[i]->geometry().right(), bar->width());
        if (i > 0) {
            EXPECT_LT(panels[i - 1]->geometry().right(), panels[i]->x()) << "panel " << i;
        }
    }
}

// Shows `dialog` without a nested loop, checks it and closes it.
void expectDialogFits(QDialog *dialog) {
    SCOPED_TRACE(dialog->metaObject()->className());
    dialog->show();
    QCoreApplication::processEvents();
    expectCaptionsFit(dialog);
    dialog->close();
}

}  // namespace

// The application font times `scale_` while the window and dialogs are made.
class LargerFontTest : public WindowFixture, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        desktop_ = QApplication::font();
        QFont font = desktop_;
        font.setPointSizeF(desktop_.pointSizeF() * GetParam());
        QApplication::setFont(font);
    }
    void TearDown() override {
        WindowFixture::TearDown();
        QApplication::setFont(desktop_);
    }

    QFont desktop_;
};

TEST_P(LargerFontTest, EveryCaptionOfTheWindowHasItsRoom) {
    TForm1 &w = openWindow();
    // Every page, with the longest texts the status panels show.
    w.setStatusPanel(0, QStringLiteral("Recording..."));
    w.setStatusPanel(1, dir_.filePath(QStringLiteral("Untitled1.mp3")));
    w.setStatusPanel(2, QStringLiteral("MPEG 1.0 layer 3, 44100 Hz, 128 kbps, Stereo"));
    for (int i = 0; i < w.PageControl1->count(); ++i) {
        SCOPED_TRACE(w.PageControl1->tabText(i).toStdString());
        w.PageControl1->setCurrentIndex(i);
        QCoreApplication::processEvents();
        expectCaptionsFit(&w);
    }
    expectTabsWhole(w.PageControl1);
    expectStatusPanelsApart(w.statusBar());
    // At the desktop font the design sizes hold.
    if (GetParam() == 1.0) {
        EXPECT_EQ(w.size(), QSize(598, 428));
    }
    // The smallest window still has room for every caption.
    w.resize(w.minimumSize());
    QCoreApplication::processEvents();
    expectCaptionsFit(&w);
    expectTabsWhole(w.PageControl1);
    expectStatusPanelsApart(w.statusBar());
}

TEST_P(LargerFontTest, EveryCaptionOfTheDialogsHasItsRoom) {
    TForm1 &w = openWindow();
    {
        TSettingForm options(testRecordingSettings(), testCaptureSettings(), MainWindowHooks{}, &w);
        options.CheckSplit->setChecked(true);
        expectDialogFits(&options);
        if (GetParam() == 1.0) {
            EXPECT_EQ(options.size(),
                      QSize(TSettingForm::kClientWidth, TSettingForm::kClientHeight));
        }
    }
    {
        TTimeLimitForm limit(testRecordingSettings(), MainWindowHooks{}, &w);
        expectDialogFits(&limit);
        if (GetParam() == 1.0) {
            EXPECT_EQ(limit.size(), QSize(303, 132));
        }
    }
    {
        TRenameForm rename(&w);
        expectDialogFits(&rename);
    }
    {
        auto *about = new TAboutBox(&w);  // deletes itself when closed
        expectDialogFits(about);
        QCoreApplication::processEvents();
    }
    {
        auto *tip = new TTipForm(&w);
        expectDialogFits(tip);
        QCoreApplication::processEvents();
    }
    {
        w.AudioRecord1->setSrcInput(0);  // the microphone, which has advanced controls
        TfrmAdv advanced(MixerComponents{w.AudioRecord1, w.AudioPlayer1}, &w);
        advanced.m_Rec = true;
        expectDialogFits(&advanced);
    }
    {
        TfrmRecFlt filters(*w.AudioRecord1, &w);
        expectDialogFits(&filters);
    }
    {
        TfrmEQ equalizer(*w.AudioPlayer1, w.chEqualizer(), &w);
        expectDialogFits(&equalizer);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, LargerFontTest, ::testing::Values(1.0, 1.25),
                         [](const ::testing::TestParamInfo<double> &tested) {
                             return tested.param == 1.0 ? std::string("DesktopFont")
                                                        : std::string("Font125Percent");
                         });

// The compact tabs under each style the desktop may choose: icon and caption side by side,
// all four whole.
TEST_F(WindowFixture, TabsShowWholeUnderEveryStyle) {
    const QString desktopStyle = QApplication::style()->name();
    for (const QString &key : QStyleFactory::keys()) {
        SCOPED_TRACE(key.toStdString());
        QApplication::setStyle(key);
        TForm1 &w = openWindow();
        expectTabsWhole(w.PageControl1);
        EXPECT_GE(w.minimumWidth(), 560);
    }
    QApplication::setStyle(desktopStyle);
}
