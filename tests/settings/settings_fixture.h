// Shared set-up of the settings dialog tests: setup.ini in a temporary folder standing in for
// the executable's directory, fresh process-wide settings, and a recorder for what the
// dialogs ask of the main window.
#pragma once

#include "settings/app_paths.h"
#include "settings/dialogs/main_window_hooks.h"
#include "settings/recording_settings.h"
#include "tests/support/test_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace testsupport {

class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path() + QLatin1Char('/'));
        testRecordingSettings() = RecordingSettings();
    }
    void TearDown() override {
        setExecutableDirectoryForTesting(QString());
        testRecordingSettings() = RecordingSettings();
    }

    QString iniPath() const { return dir_.filePath(QStringLiteral("setup.ini")); }

    void writeIni(const QByteArray &text) {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QByteArray readIni() const {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // What the main window's creation does with setup.ini.
    void loadAsAtStartUp() { LoadRecordingSettings(testRecordingSettings(), setupIniPath()); }

    MainWindowHooks hooks() {
        return {
            [this](bool pressed, const QString &hint) { indicator.emplace_back(pressed, hint); },
            [this] { ++setFormatCalls; }};
    }

    std::vector<std::pair<bool, QString>> indicator;
    int setFormatCalls = 0;
    QTemporaryDir dir_;
};

}  // namespace testsupport
