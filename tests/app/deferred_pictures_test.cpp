// Pictures the window builds before it shows but draws only later: the bundled icons answer
// their sizes without decoding, as Qt would after decoding, and the bars' overflow buttons
// still get the style's picture when they are drawn.
#include "app/deferred_icon_style.h"
#include "extras/korvanta_icons.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

TEST(DeferredPicturesTest, BundledIconSizesMatchTheDecodedPictures) {
    const QString root = QStringLiteral(":/korvanta/icons/%1/media-record.png");
    QIcon decoded;
    decoded.addFile(root.arg(16), QSize(16, 16));
    decoded.addFile(root.arg(32), QSize(32, 32));
    const QIcon deferred = korvantaBundledIcon("media-record");
    ASSERT_FALSE(deferred.isNull());
    // Smaller, between and larger than the files, and not square.
    for (const QSize asked :
         {QSize(14, 14), QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(40, 20)})
        EXPECT_EQ(deferred.actualSize(asked), decoded.actualSize(asked)) << asked.width();
    EXPECT_FALSE(deferred.pixmap(QSize(32, 32)).isNull());
}

TEST(DeferredPicturesTest, OverflowButtonsGetTheStylesPicture) {
    const QString desktopStyle = QApplication::style()->name();
    // The application deletes the style it had when it gets another one.
    const std::unique_ptr<QStyle> reference(QStyleFactory::create(desktopStyle));
    const QIcon expected = reference->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QStyle *const style = new DeferredIconStyle;
    QApplication::setStyle(style);
    {
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("File"));
        window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("Open"));
        for (QToolButton *button : window.findChildren<QToolButton *>()) {
            if (!button->objectName().contains(QLatin1String("ext_button")))
                continue;
            const QImage picture = button->icon().pixmap(QSize(16, 16)).toImage();
            EXPECT_FALSE(picture.isNull()) << qPrintable(button->objectName());
            EXPECT_EQ(picture, expected.pixmap(QSize(16, 16)).toImage())
                << qPrintable(button->objectName());
        }
    }
    // Any other picture comes from the desktop's style as it is.
    EXPECT_EQ(style->standardIcon(QStyle::SP_DialogOkButton).pixmap(QSize(16, 16)).toImage(),
              reference->standardIcon(QStyle::SP_DialogOkButton).pixmap(QSize(16, 16)).toImage());
    QApplication::setStyle(desktopStyle);
}

}  // namespace
