// Inputs the fuzzers found, replayed through the same calls the fuzzers make. Each input is
// kept as hex text; the comment says what it did before the fix.
#include "fuzz/fuzz_exercises.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

long peakRssKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class FuzzRegression : public ::testing::Test {
protected:
    QString write(const char *hex, const char *name) {
        const QByteArray bytes = QByteArray::fromHex(hex);
        const QString path = dir_.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(korvanta::fuzz::writeInputFile(
            path, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())));
        return path;
    }
    QTemporaryDir dir_;
};

}  // namespace

// A 104-byte WAV whose INFO list claims 2.7 GB: FFmpeg allocated and zeroed what each entry
// claimed, over 2 GB for one open.
TEST_F(FuzzRegression, AnInfoListClaimingGigabytesTakesNoMemory) {
    const QString path = write(
        "52494646a609000057415645666d7420100000000200010040240000803e0002020008004c4953541aff13a3"
        "494e464f497e46540e0000004c61766635392e32372e313030006461746160090076626e5f70698789898b8b"
        "8b8b898987878484808888858581817d",
        "info.wav");
    const long before = peakRssKilobytes();
    korvanta::fuzz::exerciseAudioFile(path, 1);
    korvanta::fuzz::exerciseAudioInformation(path);
    EXPECT_LT(peakRssKilobytes() - before, 256 * 1024);
}
