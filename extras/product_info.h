// What the About box and the Help menu say about the product, and where that comes from:
// built-in values that a support.ini beside the executable may override.
#pragma once

#include <QString>

namespace product {

inline constexpr char kProgramName[] = "Korvanta Sound Recorder";
inline constexpr char kVersionName[] = "v3.3.3";
inline constexpr char kHomePage[] = "https://korvanta.example.org/";
inline constexpr char kSupportEmail[] = "support@korvanta.example.org";

}  // namespace product

struct ProductInfo {
    QString ProgramName;
    QString VersionName;
    QString HomePage;
    QString Email;
};

// Section "about" of the given support.ini; every missing key takes its built-in value.
ProductInfo ReadProductInfo(const QString &supportIniPath);
