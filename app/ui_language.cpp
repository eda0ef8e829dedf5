#include "app/ui_language.h"

#include "settings/app_paths.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

bool installFrom(QCoreApplication &app, const QLocale &locale, const QString &name,
                 const QString &dir) {
    auto *translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), dir)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace

bool InstallTranslations(QCoreApplication &app, const QLocale &locale) {
    installFrom(app, locale, QStringLiteral("qtbase"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return installFrom(app, locale, QStringLiteral("korvanta"), translationsDirectory());
}
