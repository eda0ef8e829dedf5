// The application style as the desktop picks it, except that the pictures of the menu bar's
// and tool bar's overflow buttons are fetched when first drawn rather than when the bars are
// built. Fetching the first of them made Qt load every image format plugin before the window
// could show, for buttons that show only when the window is too narrow for its bars.
#pragma once

#include <QProxyStyle>

class DeferredIconStyle : public QProxyStyle {
public:
    DeferredIconStyle();  // on top of the desktop's own style

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                       const QWidget *widget) const override;
};
