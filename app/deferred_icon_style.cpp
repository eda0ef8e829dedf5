#include "app/deferred_icon_style.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace {

// Asks the base style for its picture the first time the icon is drawn or measured.
class StandardIconEngine : public QIconEngine {
public:
    StandardIconEngine(QStyle *style, QStyle::StandardPixmap which, const QStyleOption *option)
        : style_(style), which_(which) {
        // The option's layout direction is all these pictures depend on.
        if (option != nullptr)
            option_ = *option;
        else
            option_.direction = QGuiApplication::layoutDirection();
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
               QIcon::State state) override {
        loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return loaded().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return loaded().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return loaded().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return loaded().availableSizes(mode, state);
    }
    QString key() const override { return QStringLiteral("korvanta-standard"); }
    QIconEngine *clone() const override { return new StandardIconEngine(*this); }

private:
    const QIcon &loaded() {
        if (!fetched_) {
            fetched_ = true;
            if (style_)
                icon_ = style_->standardIcon(which_, &option_);
        }
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    QStyleOption option_;
    QIcon icon_;
    bool fetched_ = false;
};

}  // namespace

DeferredIconStyle::DeferredIconStyle() = default;

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                      const QWidget *widget) const {
    if (standardIcon == SP_ToolBarHorizontalExtensionButton ||
        standardIcon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new StandardIconEngine(baseStyle(), standardIcon, option));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
