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
    static void SetUpTestSuite() {
        korvanta::fuzz::setContractHandler([](const char *what) { ADD_FAILURE() << what; });
    }
    static void TearDownTestSuite() { korvanta::fuzz::setContractHandler(nullptr); }

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

// An MP3 whose Xing tag claims 150 million frames in 469 bytes: the tag was believed, and
// the file reported a length of more than a day.
TEST_F(FuzzRegression, AFrameCountTheFileCannotHoldIsNotBelieved) {
    const QString path = write(
        "49fff358c000000000000000000058696e670000000f090000070000033c0090909090909090909090909090"
        "90bdbdbdbdbdbdbdbdbdbdbdbdbdbdc8c8c8c8c8c8c8c8c8c8c8c8c8c8d3d3d3d3d3d3ffffff00d3d3d3d3d3"
        "dededededede0100631000348800f4f4f4f4f4f4f4f4f4f4f4f4f4f4ffffffffffffffffffffffffffff0000"
        "00004c61766335392e3337000000000000000000000000240420000000000000033ced0ccf72000000000000"
        "0000000000fff388c40012185ea07f490000b987db7004e73468e75555fff318c4e704c00000555555555555"
        "55555555555555555555555555555555555555fff318c4de0000034801c0000055555555555555555598a4df"
        "fffff348c4ca198142c27f9aa100b175e8ba55555555555555555555555555555555fff318c4555555555555"
        "fff318c4ed55555555555555555555c4de0000034801c0000055555555555555555555555555555555555555"
        "55555555fff318c4555555555555fff318c4ed55555555c4de0000034801c000005555555555555555555555"
        "5555555555555555555555555555555555555555fff318c4555555555555fff318c4ed55555555c4de000003"
        "4801c00000555555555555555555555555555555555555555555555555",
        "xing.mp3");
    korvanta::fuzz::exerciseAudioFile(path, 0x9e3779b9u);
    korvanta::fuzz::exerciseAudioInformation(path);
}

// An ADPCM WAV of 467 bytes whose "fact" chunk claims 134 million samples: believed from
// the container, a length of four and a half hours with 674 frames to play.
TEST_F(FuzzRegression, ASampleCountTheDataCannotHoldIsNotBelieved) {
    const QString path = write(
        "524946467404000057415645666d74203200000002000100401f0000803e0000570404002000ea0707000001"
        "0000000200ff00000000c0004000f0000000cc0130ff880118ff6661637404000000f40700084c4953541a00"
        "0000494e464f495346540e0000004c61766635392e32372e3130300064617461000400000010006b05000077"
        "77ffdcddde0236343220fdbcddde013672656d61747269785f6d617a76616c343221fdbdbeeef1244343110d"
        "cccddef0345342210eccdcdee1244433320dccbdedf0144433736b69705f636c6533221edbcdceff12453232"
        "1fdcbddddf1354343100ecccdddf1245342210edbcddef0233323110edbdcdde0236343211eebcdddff13634"
        "3220febdcceff123632321fecbddddf125434321fedaddcef114ddf0243533210edaddcef01432310fdbcddd"
        "e0136347311fdbcdddef135443221fdcbdddef1345343110ecccddef0344442210edbd000000000000000000"
        "00000000000000000000000000000000000000002b0000000000000000000000000000000000000000000000"
        "00000000000000000000000000000000000000000000000000000000000000000000000000000000a3a3a3a3"
        "a3a3a3a3a300000000000000000000000000000000000000000000",
        "fact.wav");
    korvanta::fuzz::exerciseAudioFile(path, 7);
    korvanta::fuzz::exerciseAudioInformation(path);
}
