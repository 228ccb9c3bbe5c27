#include "common/TarnelPolicyMgr.h"

#include "RegistryTestKey.h"

#include <gtest/gtest.h>

namespace {

// HKLM\SOFTWARE from this 32-bit program is the 32-bit view, where the installer writes.
const char kInstallationKey[] = "SOFTWARE\\Tarnel";

struct RuntimeLibCase {
    const char* what;
    DWORD type;
    std::string value;  // the bytes stored, exactly
    std::string expected;
};

std::string text(const std::string& value) { return value + '\0'; }

// 117 characters of directory and the marker: 127 characters, 128 bytes with the null.
const std::string kDirectory117 = "C:\\" + std::string(113, 'd') + "\\";
const std::string kDirectory118 = "C:\\" + std::string(114, 'd') + "\\";

const RuntimeLibCase kCases[] = {
    {"the usual path", REG_SZ, text("C:\\Apps\\Suite\\tarnel.dll"), "C:\\Apps\\Suite\\"},
    {"the marker right after a name", REG_SZ, text("C:\\Apps\\Xtarnel.dll"), "C:\\Apps\\X\\"},
    {"the marker in another case", REG_SZ, text("C:\\Apps\\Suite\\TARNEL.DLL"), "\\"},
    {"no marker: not the whole value", REG_SZ, text("C:\\Apps\\Suite"), "\\"},
    {"two markers: the first counts", REG_SZ, text("C:\\A\\tarnel.dll\\B\\tarnel.dll"), "C:\\A\\"},
    {"the marker at the start", REG_SZ, text("tarnel.dll"), "\\"},
    {"the marker at the start, then again", REG_SZ, text("tarnel.dll\\C\\tarnel.dll"), "\\"},
    {"an empty value", REG_SZ, text(""), "\\"},
    {"the type is not looked at", REG_EXPAND_SZ, text("%ProgramFiles%\\T\\tarnel.dll"), "%ProgramFiles%\\T\\"},
    {"a value of 127 characters", REG_SZ, text(kDirectory117 + "tarnel.dll"), kDirectory117},
    {"a value of 128 characters does not fit", REG_SZ, text(kDirectory118 + "tarnel.dll"), ""},
    // No zero byte at all: the text ends after the 128 bytes read, never past them.
    {"128 bytes without a zero byte", REG_BINARY, kDirectory118 + "tarnel.dll", kDirectory118},
    {"129 bytes without a zero byte", REG_BINARY, kDirectory118 + "tarnel.dllx", ""},
};

}  // namespace

TEST(RuntimeLibDir, TextBeforeTheFirstMarker)
{
    for (const RuntimeLibCase& row : kCases) {
        SCOPED_TRACE(row.what);
        RegistryTestKey installation(HKEY_LOCAL_MACHINE, kInstallationKey);
        installation.set("RuntimeLib", row.type, row.value.data(), static_cast<DWORD>(row.value.size()));
        EXPECT_EQ(row.expected, TarnelPolicyMgr().getRuntimeLibDir().str());
    }
}

TEST(RuntimeLibDir, EmptyWhenTheKeyOrTheValueIsMissing)
{
    RegistryTestKey installation(HKEY_LOCAL_MACHINE, kInstallationKey);
    EXPECT_EQ("", TarnelPolicyMgr().getRuntimeLibDir().str());
    installation.setText("runtimelibX", "C:\\Apps\\tarnel.dll");
    EXPECT_EQ("", TarnelPolicyMgr().getRuntimeLibDir().str());
}
