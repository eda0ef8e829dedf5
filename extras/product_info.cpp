#include "extras/product_info.h"

#include "settings/ini_file.h"

ProductInfo ReadProductInfo(const QString &supportIniPath) {
    const IniFile ini(supportIniPath);
    const QString section = QStringLiteral("about");
    auto read = [&](const char *key, const char *defaultValue) {
        return ini.ReadString(section, QLatin1String(key), QString::fromUtf8(defaultValue));
    };
    ProductInfo info;
    info.ProgramName = read("programname", product::kProgramName);
    info.VersionName = read("versionname", product::kVersionName);
    info.HomePage = read("homepage", product::kHomePage);
    info.Email = read("email", product::kSupportEmail);
    return info;
}
