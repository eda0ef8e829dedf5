// The window on a dark desktop palette: tab captions and icons stay readable, the About box's
// links take the palette's link colour and are reached by keyboard. On the light palette the
// design's navy captions stay.
#include "extras/about_box.h"
#include "extras/link_label.h"
#include "extras/readable_colours.h"
#include "extras/shell_open.h"
#include "tests/support/window_fixture.h"

#include <QImage>
#include <QKeyEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Button, QColor(0x38, 0x38, 0x38));
    dark.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
    dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    dark.setColor(QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
    dark.setColor(QPalette::Link, QColor(0x5a, 0xa9, 0xff));
    return dark;
}

// The colour a tab's caption is drawn in.
QColor captionColour(const QTabBar *tabs, int index) {
    const QColor own = tabs->tabTextColor(index);
    return own.isValid() ? own : tabs->palette().color(tabs->foregroundRole());
}

// Share of a picture's solid pixels that stand out 3:1 from `background`.
double visibleShare(const QIcon &icon, const QColor &background) {
    const QImage image = icon.pixmap(14, 14).toImage().convertToFormat(QImage::Format_ARGB32);
    int solid = 0;
    int visible = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 128)
                continue;
            ++solid;
            if (ContrastRatio(QColor::fromRgb(pixel), background) >= kGraphicContrast)
                ++visible;
        }
    }
    return solid == 0 ? 0.0 : double(visible) / solid;
}

}  // namespace

TEST(ContrastRatioTest, FollowsTheWcagFormula) {
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    // Navy on white and on a dark grey: the first reads, the second does not.
    EXPECT_NEAR(ContrastRatio(QColor(0, 0, 128), Qt::white), 16.0, 0.1);
    EXPECT_LT(ContrastRatio(QColor(0, 0, 128), QColor(0x30, 0x30, 0x30)), 1.5);
    EXPECT_FALSE(ColourIfReadable(QColor(0, 0, 128), {QColor(0x30, 0x30, 0x30)}).isValid());
    EXPECT_EQ(ColourIfReadable(QColor(0, 0, 128), {Qt::white, QColor(0xef, 0xef, 0xef)}),
              QColor(0, 0, 128));
}

class DarkPaletteTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        desktop_ = QApplication::palette();
        QApplication::setPalette(darkPalette());
    }
    void TearDown() override {
        WindowFixture::TearDown();
        QApplication::setPalette(desktop_);
    }

    QPalette desktop_;
};

TEST_F(DarkPaletteTest, TabCaptionsAndIconsStandOutFromTheTabs) {
    TForm1 &w = openWindow();
    QTabBar *tabs = w.PageControl1->tabBar();
    const QColor window = tabs->palette().color(QPalette::Window);
    const QColor button = tabs->palette().color(QPalette::Button);
    for (int i = 0; i < tabs->count(); ++i) {
        SCOPED_TRACE(tabs->tabText(i).toStdString());
        const QColor caption = captionColour(tabs, i);
        EXPECT_GE(ContrastRatio(caption, window), kTextContrast);
        EXPECT_GE(ContrastRatio(caption, button), kTextContrast);
        EXPECT_GE(visibleShare(tabs->tabIcon(i), window), 0.9);
    }
}

TEST_F(DarkPaletteTest, ThePaletteChangingUnderTheWindowIsFollowed) {
    QApplication::setPalette(desktop_);
    TForm1 &w = openWindow();
    QTabBar *tabs = w.PageControl1->tabBar();
    ASSERT_EQ(captionColour(tabs, 0), QColor(0, 0, 128));  // the design's navy reads here

    QApplication::setPalette(darkPalette());
    QCoreApplication::processEvents();
    const QColor window = tabs->palette().color(QPalette::Window);
    EXPECT_GE(ContrastRatio(captionColour(tabs, 0), window), kTextContrast);
    EXPECT_GE(visibleShare(tabs->tabIcon(1), window), 0.9);

    QApplication::setPalette(desktop_);
    QCoreApplication::processEvents();
    EXPECT_EQ(captionColour(tabs, 0), QColor(0, 0, 128));
}

TEST_F(DarkPaletteTest, AboutLinksTakeThePaletteLinkColourAndTheKeyboard) {
    TAboutBox box(nullptr);
    box.show();
    QCoreApplication::processEvents();
    const QColor link = darkPalette().color(QPalette::Link);
    for (TLinkLabel *label : {box.Label5, box.Label7}) {
        if (label->isHidden())
            continue;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), link);
        EXPECT_GE(ContrastRatio(link, box.palette().color(QPalette::Window)), kTextContrast);
    }

    // Tab from the Close button reaches the homepage link; Enter there opens it.
    box.BtnClose->setFocus();
    QWidget *reached = nullptr;
    for (int i = 0; i < 6 && reached != box.Label5; ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(box.focusWidget(), &tab);
        QCoreApplication::processEvents();
        reached = box.focusWidget();
    }
    ASSERT_EQ(reached, box.Label5);
    QList<QUrl> opened;
    setShellOpenHandlerForTesting([&opened](const QUrl &url) { opened << url; });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box.Label5, &enter);
    setShellOpenHandlerForTesting({});
    EXPECT_EQ(opened, QList<QUrl>{HomePageUrl(box.HomePage)});
    EXPECT_TRUE(box.isVisible()) << "Enter on the link is not the Close button's";
}
