#include "extras/korvanta_icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QString kIconRoot = QStringLiteral(":/korvanta/icons/");

// Holds the file of each size and decodes them only when the icon is first drawn or asked
// for a picture. QIcon::addFile decodes at once, and the window builds some forty icons
// (the program icon up to 256 px) before it can show; most are never drawn in most sizes.
class DeferredIconEngine : public QIconEngine {
public:
    void addSize(const QString &path, int size) { files_.emplace_back(path, size); }
    bool hasFiles() const { return !files_.empty(); }

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
    // Answered from the sizes the files are made for, without decoding them: tab bars and
    // buttons ask while the window is being built, long before anything is drawn. As Qt's own
    // icons do, a picture is scaled down to fit, never up.
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override {
        int largest = 0;
        for (const auto &file : files_)
            largest = std::max(largest, file.second);
        QSize actual(largest, largest);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const auto &file : files_)
            sizes << QSize(file.second, file.second);
        return sizes;
    }
    bool isNull() override { return files_.empty(); }
    QString key() const override { return QStringLiteral("korvanta-deferred"); }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon &loaded() {
        // Once only, even if a file doesn't decode: painting must not retry it every time.
        if (!decoded_) {
            decoded_ = true;
            for (const auto &[path, size] : files_)
                icon_.addFile(path, QSize(size, size));
        }
        return icon_;
    }

    std::vector<std::pair<QString, int>> files_;
    QIcon icon_;
    bool decoded_ = false;
};

QIcon deferredIcon(const QString &pathPattern, std::initializer_list<int> sizes) {
    auto *engine = new DeferredIconEngine;
    for (int size : sizes) {
        const QString path = pathPattern.arg(size);
        if (QFile::exists(path))
            engine->addSize(path, size);
    }
    if (!engine->hasFiles()) {
        delete engine;
        return QIcon();
    }
    return QIcon(engine);
}

}  // namespace

QIcon korvantaBundledIcon(const char *name) {
    return deferredIcon(
        kIconRoot + QStringLiteral("%1/") + QLatin1String(name) + QStringLiteral(".png"), {16, 32});
}

QIcon korvantaIcon(const char *name) {
    return QIcon::fromTheme(QLatin1String(name), korvantaBundledIcon(name));
}

QIcon korvantaAppIcon() {
    return deferredIcon(QStringLiteral(":/korvanta/app/korvanta-recorder-%1.png"),
                        {16, 32, 48, 64, 128, 256});
}

void applyApplicationIdentity() {
    QGuiApplication::setWindowIcon(korvantaAppIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("korvanta-recorder"));
}
