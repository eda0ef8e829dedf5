// The About box, its links, the manual and homepage commands, and the bundled pictures.
#include "extras/about_box.h"
#include "extras/help_commands.h"
#include "extras/korvanta_icons.h"
#include "extras/link_label.h"
#include "extras/shell_open.h"
#include "settings/app_paths.h"
#include "tests/settings/modal_answerer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path());
        setShellOpenHandlerForTesting([this](const QUrl &url) { opened_ << url; });
    }
    void TearDown() override {
        delete aboutBox_.data();
        setShellOpenHandlerForTesting({});
        setExecutableDirectoryForTesting(QString());
    }

    void writeFile(const QString &name, const QByteArray &text) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir dir_;
    QList<QUrl> opened_;
    QWidget owner_;
    QPointer<TAboutBox> aboutBox_;
};

void hover(QWidget *widget, bool enter) {
    if (enter) {
        QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(widget, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &event);
    }
}

void click(QWidget *widget, Qt::MouseButton button) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

QColor textColour(const QWidget *widget) {
    return widget->palette().color(QPalette::WindowText);
}

}  // namespace

TEST_F(AboutBoxTest, WithoutSupportIniTheBuiltInValuesAreShown) {
    TAboutBox box(&owner_);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box.Label1->text(), QStringLiteral("Korvanta Sound Recorder v3.3.3"));
    EXPECT_EQ(box.Label3->text(), QStringLiteral("v3.3.3"));
    EXPECT_EQ(box.Label5->text(), QStringLiteral("https://korvanta.example.org/"));
    EXPECT_EQ(box.Label7->text(), QStringLiteral("Technology Support"));
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_GE(box.width(), 405);
    EXPECT_GE(box.height(), 248);

    box.Label5Click();
    box.Label7Click();
    EXPECT_EQ(opened_, (QList<QUrl>{QUrl(QStringLiteral("https://korvanta.example.org/")),
                                    QUrl(QStringLiteral("mailto:support@korvanta.example.org"))}));
}

TEST_F(AboutBoxTest, SupportIniOverridesNameVersionAndAddresses) {
    writeFile(QStringLiteral("support.ini"),
              "[About]\nversionname=v9\nhomepage=https://other.example.net/recorder\n"
              "email=help@other.example.net\n");
    TAboutBox box(&owner_);
    EXPECT_EQ(box.Label1->text(), QStringLiteral("Korvanta Sound Recorder v9"));
    EXPECT_EQ(box.Label3->text(), QStringLiteral("v9"));
    EXPECT_EQ(box.Label5->text(), QStringLiteral("https://other.example.net/recorder"));

    click(box.Label5, Qt::LeftButton);
    click(box.Label7, Qt::LeftButton);
    click(box.Label7, Qt::RightButton);  // not a click on a link
    EXPECT_EQ(opened_, (QList<QUrl>{QUrl(QStringLiteral("https://other.example.net/recorder")),
                                    QUrl(QStringLiteral("mailto:help@other.example.net"))}));
}

TEST_F(AboutBoxTest, AHomepageWithoutSchemeOpensAsAWebAddress) {
    EXPECT_EQ(HomePageUrl(QStringLiteral("www.example.org")),
              QUrl(QStringLiteral("http://www.example.org")));
    writeFile(QStringLiteral("support.ini"), "[about]\nhomepage=\n");
    TAboutBox box(&owner_);
    box.Label5Click();  // nothing to open
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(AboutBoxTest, LinksTurnRedAndUnderlinedWhileHoveredAndBackAfter) {
    TAboutBox box(&owner_);
    for (TLinkLabel *link : {box.Label5, box.Label7}) {
        EXPECT_EQ(textColour(link), QColor(Qt::blue));
        EXPECT_FALSE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        hover(link, true);
        EXPECT_EQ(textColour(link), QColor(Qt::red));
        EXPECT_TRUE(link->font().underline());
        hover(link, false);
        EXPECT_EQ(textColour(link), QColor(Qt::blue));
        EXPECT_FALSE(link->font().underline());
    }
}

TEST_F(AboutBoxTest, EachShowingIsAFreshBoxReadingSupportIniAgain) {
    ShowAboutBox(aboutBox_, &owner_);
    QPointer<TAboutBox> first = aboutBox_.data();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isModal());
    ShowAboutBox(aboutBox_, &owner_);
    EXPECT_EQ(aboutBox_.data(), first.data());  // already open: the same box

    first->BtnClose->click();
    EXPECT_EQ(aboutBox_.data(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    writeFile(QStringLiteral("support.ini"), "[about]\nversionname=v9\n");
    ShowAboutBox(aboutBox_, &owner_);
    ASSERT_NE(aboutBox_.data(), nullptr);
    EXPECT_EQ(aboutBox_->Label3->text(), QStringLiteral("v9"));
    EXPECT_TRUE(aboutBox_->close());  // the close box
    EXPECT_EQ(aboutBox_.data(), nullptr);
}

TEST_F(AboutBoxTest, AnEmptySupportAddressHidesTheMailLink) {
    TAboutBox withDefault(&owner_);
    EXPECT_FALSE(withDefault.Label7->isHidden());

    // As shipped: the homepage is the installed manual, and nobody to mail.
    writeFile(QStringLiteral("support.ini"),
              "[about]\nhomepage=file:///usr/share/korvanta-recorder/manual/index.html\n"
              "email=\n");
    TAboutBox box(&owner_);
    EXPECT_TRUE(box.Label7->isHidden());
    for (const QLabel *label : box.findChildren<QLabel *>()) {
        EXPECT_TRUE(label->isHidden() || label->text() != QStringLiteral("Technology Support"))
            << "the support row's caption is still shown";
    }
    box.Label7Click();  // even if reached some other way, no mail to nowhere
    click(box.Label5, Qt::LeftButton);
    EXPECT_EQ(
        opened_,
        QList<QUrl>{QUrl(QStringLiteral("file:///usr/share/korvanta-recorder/manual/index.html"))});

    writeFile(QStringLiteral("support.ini"), "[about]\nemail=  \n");
    TAboutBox blank(&owner_);
    EXPECT_TRUE(blank.Label7->isHidden());
}

TEST_F(AboutBoxTest, HelpOpensTheManualOrSaysItIsMissing) {
    {
        testsupport::ModalAnswerer answerer;
        OpenHelpContents(&owner_);
        ASSERT_EQ(answerer.messages.size(), 1u);
        EXPECT_EQ(answerer.messages[0].title, QStringLiteral("Help Contents"));
        EXPECT_TRUE(answerer.messages[0].text.contains(manualIndexPath()))
            << qPrintable(answerer.messages[0].text);
    }
    EXPECT_TRUE(opened_.isEmpty());

    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("manual")));
    writeFile(QStringLiteral("manual/index.html"), "<html></html>");
    OpenHelpContents(&owner_);
    EXPECT_EQ(opened_, QList<QUrl>{QUrl::fromLocalFile(dir_.filePath("manual/index.html"))});
}

TEST_F(AboutBoxTest, HomepageOpensTheAddressOfSupportIniElseTheBuiltInOne) {
    OpenHomepage();
    writeFile(QStringLiteral("support.ini"), "[about]\nhomepage=file:///opt/k/manual.html\n");
    OpenHomepage();
    EXPECT_EQ(opened_, (QList<QUrl>{QUrl(QStringLiteral("https://korvanta.example.org/")),
                                    QUrl(QStringLiteral("file:///opt/k/manual.html"))}));
}

TEST(KorvantaIconsTest, EveryBundledPictureLoads) {
    for (const char *name :
         {"document-open", "application-exit", "media-record", "media-playback-start",
          "media-playback-pause", "media-playback-stop", "audio-input-microphone",
          "audio-volume-high", "document-properties", "preferences-system", "chronometer",
          "help-contents", "help-about", "go-home", "audio-x-generic", "edit-rename", "edit-delete",
          "list-remove", "korvanta-tip"}) {
        EXPECT_FALSE(korvantaBundledIcon(name).pixmap(32, 32).isNull()) << name;
        EXPECT_FALSE(korvantaIcon(name).isNull()) << name;
    }
    EXPECT_TRUE(korvantaBundledIcon("no-such-picture").isNull());
    const QIcon app = korvantaAppIcon();
    EXPECT_EQ(app.availableSizes().size(), 6);
    EXPECT_EQ(app.pixmap(256, 256).size(), QSize(256, 256));
}
