// Calibration records: the stored bytes, the monitor parameters record read back, and the
// clearing of the "Calibration" subkey.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "fresh_root.h"
#include "registry_faults.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;

class CalibrationRecords : public FreshRootTest {
protected:
    // A value's raw bytes and type, or "<absent>".
    static std::string raw(const char* subkey, const char* name, DWORD* type = nullptr) {
        char buf[2048];
        DWORD t = 0xdeadbeef, size = sizeof buf;
        if (GetSpectrineRegValue(subkey, name, &t, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
            return "<absent>";
        if (type) *type = t;
        return std::string(buf, size);
    }

    // Installation settings and one INF file whose "Monitors" section knows `key`.
    void installModel(const std::string& key, const std::string& record) {
        writeFile("suite/monitors.inf", "[Version]\r\nSignature=$CHICAGO$\r\n\r\n[Monitors]\r\n" + key + "=" +
                                            record + "\r\n");
        ASSERT_EQ(WriteSpectrineRegString("Settings", "AppFile", (root() + "/suite/huevista").c_str()), 1);
        ASSERT_EQ(WriteSpectrineRegString("Settings", "InfFile", (root() + "\\suite\\monitors.inf").c_str()), 1);
    }

    static MONITORPARMS freshRecord() {
        MONITORPARMS r;
        std::memset(&r, 0xbd, sizeof r);
        r.size = MONITORPARMS_SIZE;
        return r;
    }
};

constexpr char kSonyRecord[] =
    "Sony, Multiscan 17sf, 1280, 960, 1, 0.6250, 0.3400, 0.2800, 0.5950, 0.1550, 0.0700, 0.25";

TEST_F(CalibrationRecords, RecordLayout) {
    EXPECT_EQ(sizeof(MONITORPARMS), 672u);
    EXPECT_EQ(offsetof(MONITORPARMS, redX), 8u);
    EXPECT_EQ(offsetof(MONITORPARMS, gammaRed), 88u);
    EXPECT_EQ(offsetof(MONITORPARMS, gainRed), 112u);
    EXPECT_EQ(offsetof(MONITORPARMS, offsetRed), 136u);
    EXPECT_EQ(offsetof(MONITORPARMS, description), 160u);
    EXPECT_EQ(offsetof(MONITORPARMS, modelKey), 416u);
}

TEST_F(CalibrationRecords, WrittenBytesAndReadBack) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "My CRT", 0.312713, 0.329016, 2.2, 2.254, 1.8,
                                            0.05, 0.1004, 0.0, 1.0, 0.95, 0.9),
              1);
    DWORD type = 0;
    const std::string expected("My CRT\0" "0.31271\0" "0.32902\0" "2.20\0" "2.25\0" "1.80\0" "0.050\0"
                               "0.100\0" "0.000\0" "1.000\0" "0.950\0" "0.900\0\0",
                               6 + 7 + 7 + 4 + 4 + 4 + 5 + 5 + 5 + 5 + 5 + 5 + 13);
    EXPECT_EQ(raw("Calibration", "Monitor", &type), expected);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));

    installModel("Sony Multiscan 17sf", kSonyRecord);
    ASSERT_EQ(WriteSpectrineMonitorName("Sony Multiscan 17sf"), 1);
    MONITORPARMS r = freshRecord();
    ASSERT_EQ(GetSpectrineCalibrationName("Monitor", &r), 1);
    EXPECT_EQ(r.size, 672u);
    EXPECT_DOUBLE_EQ(r.redX, 0.625);
    EXPECT_DOUBLE_EQ(r.redY, 0.34);
    EXPECT_DOUBLE_EQ(r.greenX, 0.28);
    EXPECT_DOUBLE_EQ(r.greenY, 0.595);
    EXPECT_DOUBLE_EQ(r.blueX, 0.155);
    EXPECT_DOUBLE_EQ(r.blueY, 0.07);
    EXPECT_DOUBLE_EQ(r.whiteX, 0.31271);
    EXPECT_DOUBLE_EQ(r.whiteY, 0.32902);
    EXPECT_EQ(r.reserved[0], 0.0);
    EXPECT_EQ(r.reserved[1], 0.0);
    EXPECT_DOUBLE_EQ(r.gammaRed, 2.2);
    EXPECT_DOUBLE_EQ(r.gammaGreen, 2.25);
    EXPECT_DOUBLE_EQ(r.gammaBlue, 1.8);
    EXPECT_DOUBLE_EQ(r.offsetRed, 0.05);
    EXPECT_DOUBLE_EQ(r.offsetGreen, 0.1);
    EXPECT_EQ(r.offsetBlue, 0.0);
    EXPECT_EQ(r.gainRed, 1.0);
    EXPECT_DOUBLE_EQ(r.gainGreen, 0.95);
    EXPECT_DOUBLE_EQ(r.gainBlue, 0.9);
    EXPECT_STREQ(r.description, "My CRT");
    EXPECT_STREQ(r.modelKey, "Sony Multiscan 17sf");
    // Nothing past the texts' terminators was left from the marker: the record was cleared.
    EXPECT_EQ(r.description[sizeof r.description - 1], '\0');
    EXPECT_EQ(r.modelKey[sizeof r.modelKey - 1], '\0');
}

TEST_F(CalibrationRecords, NumberedFormsUseTheDecimalName) {
    ASSERT_EQ(WriteSpectrineCalibration(3, "third", 0.3, 0.3, 1, 1, 1, 0, 0, 0, 1, 1, 1), 1);
    EXPECT_NE(raw("Calibration", "3"), "<absent>");
    installModel("Model", kSonyRecord);
    ASSERT_EQ(WriteSpectrineRegString("Settings", "3", "Model"), 1);
    MONITORPARMS r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibration(3, &r), 1);
    EXPECT_STREQ(r.description, "third");
    EXPECT_STREQ(r.modelKey, "Model");
}

TEST_F(CalibrationRecords, AnyZeroGainMakesAllGainsOne) {
    struct Case {
        const char* name;
        double gains[3];
        double expected[3];
    } cases[] = {
        {"green zero", {1.0, 0.0, 0.95}, {1.0, 1.0, 1.0}},
        {"blue zero", {0.8, 0.7, 0.0}, {1.0, 1.0, 1.0}},
        {"all zero", {0.0, 0.0, 0.0}, {1.0, 1.0, 1.0}},
        {"none zero", {0.8, 0.7, 0.6}, {0.8, 0.7, 0.6}},
        {"rounds to zero", {0.0004, 0.5, 0.5}, {1.0, 1.0, 1.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(WriteSpectrineCalibrationName("Monitor1", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, c.gains[0],
                                                c.gains[1], c.gains[2]),
                  1);
        MONITORPARMS r = freshRecord();
        EXPECT_EQ(GetSpectrineCalibrationName("Monitor1", &r), 0) << "no model key is stored";
        EXPECT_DOUBLE_EQ(r.gainRed, c.expected[0]);
        EXPECT_DOUBLE_EQ(r.gainGreen, c.expected[1]);
        EXPECT_DOUBLE_EQ(r.gainBlue, c.expected[2]);
    }
}

TEST_F(CalibrationRecords, OneElementRecord) {
    ASSERT_EQ(WriteSpectrineCalibration0(1, "just a name"), 1);
    DWORD type = 0;
    EXPECT_EQ(raw("Calibration", "1", &type), std::string("just a name\0\0", 13));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));

    MONITORPARMS r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibration(1, &r), 0) << "no model key yet";
    EXPECT_STREQ(r.description, "just a name");
    EXPECT_EQ(r.whiteX, 0.0);
    EXPECT_EQ(r.whiteY, 0.0);
    EXPECT_EQ(r.gammaRed, 0.0);
    EXPECT_EQ(r.gammaBlue, 0.0);
    EXPECT_EQ(r.offsetGreen, 0.0);
    EXPECT_EQ(r.gainRed, 1.0);
    EXPECT_EQ(r.gainGreen, 1.0);
    EXPECT_EQ(r.gainBlue, 1.0);

    installModel("Model", kSonyRecord);
    ASSERT_EQ(WriteSpectrineRegString("Settings", "1", "Model"), 1);
    r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibration(1, &r), 1) << "the model lookup alone decides";
    EXPECT_DOUBLE_EQ(r.blueY, 0.07);
    EXPECT_EQ(r.gainBlue, 1.0);
}

TEST_F(CalibrationRecords, WrongSizeFieldLeavesRecordUntouched) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    for (DWORD size : {0u, 671u, 673u, 0xdeadbeefu}) {
        SCOPED_TRACE(size);
        MONITORPARMS r;
        std::memset(&r, 0xbd, sizeof r);
        r.size = size;
        MONITORPARMS before = r;
        EXPECT_EQ(GetSpectrineCalibrationName("Monitor", &r), 0);
        EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
    }
    EXPECT_EQ(GetSpectrineCalibrationName("Monitor", nullptr), 0);
}

TEST_F(CalibrationRecords, MissingOrForeignValuesClearTheRecord) {
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Text", "0.3"), 1);
    std::string big(600, 'x');
    big.push_back('\0');
    big.push_back('\0');
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Big", REG_MULTI_SZ,
                                     reinterpret_cast<const BYTE*>(big.data()), static_cast<DWORD>(big.size())),
              ERROR_SUCCESS);
    for (const char* name : {"Absent", "Text", "Big"}) {
        SCOPED_TRACE(name);
        MONITORPARMS r = freshRecord();
        EXPECT_EQ(GetSpectrineCalibrationName(name, &r), 0);
        MONITORPARMS cleared;
        std::memset(&cleared, 0, sizeof cleared);
        cleared.size = MONITORPARMS_SIZE;
        EXPECT_EQ(std::memcmp(&r, &cleared, sizeof r), 0);
    }
}

TEST_F(CalibrationRecords, GarbageAndUnterminatedRecordsReadAsFarAsTheyGo) {
    // Commas separate fields as well as terminators; the last element has no terminator.
    const char bytes[] = "desc\0" "0.25,0.5\0" "2";
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Odd", REG_MULTI_SZ, reinterpret_cast<const BYTE*>(bytes),
                                     sizeof bytes - 1),
              ERROR_SUCCESS);
    MONITORPARMS r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibrationName("Odd", &r), 0);
    EXPECT_STREQ(r.description, "desc");
    EXPECT_DOUBLE_EQ(r.whiteX, 0.25);
    EXPECT_DOUBLE_EQ(r.whiteY, 0.5);
    EXPECT_DOUBLE_EQ(r.gammaRed, 2.0);
    EXPECT_EQ(r.gammaGreen, 0.0);
    EXPECT_EQ(r.gainRed, 1.0);

    // A description longer than the record's field is cut to 255 characters.
    std::string longText(400, 'd');
    ASSERT_EQ(WriteSpectrineCalibrationName("Long", longText.c_str(), 0.3, 0.3, 1, 1, 1, 0, 0, 0, 1, 1, 1), 1);
    r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibrationName("Long", &r), 0);
    EXPECT_EQ(std::string(r.description), std::string(255, 'd'));
    EXPECT_DOUBLE_EQ(r.whiteX, 0.3);
}

TEST_F(CalibrationRecords, ModelLookupNeedsKeyInstallationAndRecord) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    ASSERT_EQ(WriteSpectrineMonitorName("Sony Multiscan 17sf"), 1);
    MONITORPARMS r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibrationName("Monitor", &r), 0) << "no AppFile and InfFile";
    EXPECT_STREQ(r.modelKey, "");

    installModel("Another Model", kSonyRecord);
    r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibrationName("Monitor", &r), 0) << "key not in the INF file";
    EXPECT_EQ(r.redX, 0.0);

    // A model record with missing numbers fills what it has.
    installModel("Sony Multiscan 17sf", "Sony, Short, 1, 2, 1, 0.6, 0.3");
    r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibrationName("Monitor", &r), 1);
    EXPECT_DOUBLE_EQ(r.redX, 0.6);
    EXPECT_DOUBLE_EQ(r.redY, 0.3);
    EXPECT_EQ(r.greenX, 0.0);
    EXPECT_EQ(r.blueY, 0.0);
}

TEST_F(CalibrationRecords, EdidModelKeysAreNotAnsweredFromInfFiles) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    installModel("PnP VESA DDC - Plug and Play Monitor", kSonyRecord);
    ASSERT_EQ(WriteSpectrineMonitorName("PnP VESA DDC - Plug and Play Monitor"), 1);
    MONITORPARMS r = freshRecord();
    EXPECT_EQ(GetSpectrineCalibrationName("Monitor", &r), 0) << "no plug-and-play monitor is present";
}

// A description longer than the record holds is cut to its 255 characters; the record reads
// back whole, its gains as written.
TEST_F(CalibrationRecords, ALongDescriptionIsCutAndTheRecordReadsBack) {
    installModel("Sony 17", kSonyRecord);
    ASSERT_EQ(WriteSpectrineMonitorName("Sony 17"), 1);
    std::string description;
    for (int i = 0; i < 460; ++i) description += static_cast<char>('a' + i % 26);
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", description.c_str(), 0.31271, 0.32902, 2.2,
                                            2.3, 2.4, 0.01, 0.02, 0.03, 0.95, 0.96, 0.97),
              1);
    MONITORPARMS r = freshRecord();
    ASSERT_EQ(GetSpectrineCalibrationName("Monitor", &r), 1);
    EXPECT_EQ(std::string(r.description), description.substr(0, 255));
    EXPECT_DOUBLE_EQ(r.whiteX, 0.31271);
    EXPECT_DOUBLE_EQ(r.gammaBlue, 2.4);
    EXPECT_DOUBLE_EQ(r.gainRed, 0.95);
    EXPECT_DOUBLE_EQ(r.gainBlue, 0.97);
    EXPECT_DOUBLE_EQ(r.redX, 0.625);
    // The one-element form keeps the same 255 characters.
    ASSERT_EQ(WriteSpectrineCalibration0(3, description.c_str()), 1);
    EXPECT_EQ(raw("Calibration", "3"), description.substr(0, 255) + std::string(2, '\0'));
}

// Numbers no reader could read back are refused with 0, and the record stored before stays:
// NaN and infinity, and numbers whose text would take the record past the 512 bytes read back.
// A large number that fits (1e70 has 71 digits) reads back as written.
TEST_F(CalibrationRecords, NumbersThatCannotReadBackAreRefused) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "kept", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    const std::string before = raw("Calibration", "Monitor");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double white, gamma, gain;
    } cases[] = {{"NaN white", nan, 2.2, 1},
                 {"infinite gamma", 0.3, inf, 1},
                 {"minus infinity gain", 0.3, 2.2, -inf},
                 {"1e300 white: 307 digits", 1e300, 2.2, 1},
                 {"1e150 white and gain: 151 digits each", 1e150, 2.2, 1e150}};
    // With the longest description the record holds, those numbers would not fit the record.
    const std::string description(255, 'd');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteSpectrineCalibrationName("Monitor", description.c_str(), c.white, 0.3,
                                                c.gamma, 2.2, 2.2, 0, 0, 0, c.gain, 1, 1),
                  0);
        EXPECT_EQ(raw("Calibration", "Monitor"), before);
        EXPECT_EQ(WriteSpectrineCalibration(1, description.c_str(), c.white, 0.3, c.gamma, 2.2, 2.2,
                                            0, 0, 0, c.gain, 1, 1),
                  0);
        EXPECT_EQ(raw("Calibration", "1"), "<absent>");
    }
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", description.c_str(), 1e70, 0.3, 2.2, 2.2,
                                            2.2, 0, 0, 0, 1e70, 1, 1),
              1);
    installModel("Sony 17", kSonyRecord);
    ASSERT_EQ(WriteSpectrineMonitorName("Sony 17"), 1);
    MONITORPARMS r = freshRecord();
    ASSERT_EQ(GetSpectrineCalibrationName("Monitor", &r), 1);
    EXPECT_NEAR(r.whiteX / 1e70, 1.0, 1e-12);
    EXPECT_NEAR(r.gainRed / 1e70, 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(r.gainBlue, 1.0);
}

class DeleteAllCalibration : public CalibrationRecords {};

TEST_F(DeleteAllCalibration, KeepsEveryProfileNameAndNothingElse) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor1", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile", "Spectrine95.icm"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile1", "Spectrine95 1.icm"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile12", "Spectrine95 12.icm"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "WIN98PROFILE2", "Upper.icm"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile3", ""), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98ProfileX", "not a monitor"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Lighting", "2"), 1);
    ASSERT_EQ(WriteSpectrineGamma(1, "Set A", "a", 2.2, 2.2, 2.2, ""), 1);
    ASSERT_EQ(WriteSpectrineGamma(1, "Set A\\Deeper", "b", 1.8, 1.8, 1.8, ""), 1);

    EXPECT_EQ(DeleteAllSpectrineCalibration(), 1);

    struct Kept {
        const char* name;
        const char* bytes;
        size_t size;
    } kept[] = {
        {"Win98Profile", "Spectrine95.icm", 16},
        {"Win98Profile1", "Spectrine95 1.icm", 18},
        {"Win98Profile12", "Spectrine95 12.icm", 19},
        {"Win98Profile2", "Upper.icm", 10},
        {"Win98Profile3", "", 1},
    };
    for (const Kept& k : kept) {
        SCOPED_TRACE(k.name);
        DWORD type = 0;
        EXPECT_EQ(raw("Calibration", k.name, &type), std::string(k.bytes, k.size));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    }
    for (const char* gone : {"Monitor", "Monitor1", "Win98ProfileX", "Lighting"}) {
        SCOPED_TRACE(gone);
        EXPECT_EQ(raw("Calibration", gone), "<absent>");
    }
    char name[64];
    EXPECT_EQ(EnumSpectrineRegKey("Calibration", 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(raw("Calibration\\Set A", "1"), "<absent>");

    // The kept values keep their type too.
    const BYTE binary[] = {1, 2, 0, 3};
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Win98Profile4", REG_BINARY, binary, sizeof binary),
              ERROR_SUCCESS);
    EXPECT_EQ(DeleteAllSpectrineCalibration(), 1);
    DWORD type = 0;
    EXPECT_EQ(raw("Calibration", "Win98Profile4", &type), std::string("\1\2\0\3", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
}

TEST_F(DeleteAllCalibration, WithoutTheSubkeyReportsNothingDeleted) {
    EXPECT_EQ(DeleteAllSpectrineCalibration(), 0);
    ASSERT_EQ(WriteSpectrineCalibration0(0, "x"), 1);
    EXPECT_EQ(DeleteAllSpectrineCalibration(), 1);
    EXPECT_EQ(raw("Calibration", "0"), "<absent>");
    // Nothing to write back: the subkey is gone altogether.
    char name[64];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(EnumSpectrineRegValue("Calibration", 0, name, &nameSize, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(DeleteAllCalibration, GammaSetsAreRemovedOnTheNtFamilyToo) {
    useFamily("NT5");
    ASSERT_EQ(WriteSpectrineGamma(2, "Set B", "b", 2.0, 2.0, 2.0, "t"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile", "p.icm"), 1);
    EXPECT_EQ(DeleteAllSpectrineCalibration(), 1);
    char name[64];
    EXPECT_EQ(EnumSpectrineRegKey("Calibration", 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(raw("Calibration", "Win98Profile"), std::string("p.icm", 6));
}

// A registry fault while the calibrations are cleared: the profile names are never deleted
// and written back, so a write that would fail (here every write of a profile name) loses
// none of them; a deletion that fails leaves everything as it was.
TEST_F(DeleteAllCalibration, RegistryFaultsLoseNothing) {
    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile", "Spectrine95.icm"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Win98Profile1", "Second.icm"), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Lighting", "2"), 1);
    ASSERT_EQ(WriteSpectrineGamma(1, "Set A", "a", 2.2, 2.2, 2.2, ""), 1);
    spx::test::failValueWrites(root(), "INSERT", "Win98Profile");
    spx::test::failValueWrites(root(), "INSERT", "Win98Profile1");
    spx::test::failValueWrites(root(), "UPDATE", "Win98Profile");

    EXPECT_EQ(DeleteAllSpectrineCalibration(), 1);
    EXPECT_EQ(raw("Calibration", "Win98Profile"), std::string("Spectrine95.icm", 16));
    EXPECT_EQ(raw("Calibration", "Win98Profile1"), std::string("Second.icm", 11));
    EXPECT_EQ(raw("Calibration", "Monitor"), "<absent>");
    EXPECT_EQ(raw("Calibration", "Lighting"), "<absent>");

    ASSERT_EQ(WriteSpectrineCalibrationName("Monitor", "d", 0.3, 0.3, 2.2, 2.2, 2.2, 0, 0, 0, 1, 1, 1), 1);
    ASSERT_EQ(WriteSpectrineGamma(1, "Set A", "a", 2.2, 2.2, 2.2, ""), 1);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Lighting", "2"), 1);
    const std::string calibration = raw("Calibration", "Monitor"), set = raw("Calibration\\Set A", "1");
    spx::test::failValueWrites(root(), "DELETE", "Lighting");
    EXPECT_EQ(DeleteAllSpectrineCalibration(), 0);
    EXPECT_EQ(raw("Calibration", "Monitor"), calibration) << "a failed clearing changes nothing";
    EXPECT_EQ(raw("Calibration\\Set A", "1"), set);
    EXPECT_EQ(raw("Calibration", "Lighting"), std::string("2", 2));
    EXPECT_EQ(raw("Calibration", "Win98Profile"), std::string("Spectrine95.icm", 16));
}

}  // namespace
