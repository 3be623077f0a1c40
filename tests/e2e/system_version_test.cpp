// The settings dialog on each system its users have, as Wine reports that
// system to the tool alone: it opens, OK writes both settings, Escape writes
// nothing; and each system reads the manifest's request for administrator
// rights.
#include "tool_driver.h"

#include <optional>

namespace {

using namespace e2e;

struct SystemCase {
    const char* name;
    // Wine's name for the system, or none.
    const char* wineName;
    // What GetVersion tells the tool.
    BYTE major;
    BYTE minor;
    bool windows9x; // GetVersion's top bit
    // What the system is, and the first build of that version.
    DWORD systemMajor;
    DWORD systemMinor;
    DWORD firstBuild;
};

void PrintTo(const SystemCase& system, std::ostream* out) {
    *out << system.name;
}

// From 8.1 on, a program whose manifest names no later system is told 6.2.
// Below 4.0 the framework's three-dimensional look draws the controls; Wine's
// win31 is Win32s 1.3 on Windows 3.10, its version word's top bit set.
constexpr SystemCase kSystems[] = {
    {"win31", "win31", 3, 10, true, 3, 10, 0},     {"nt351", "nt351", 3, 51, false, 3, 51, 0},
    {"win95", "win95", 4, 0, true, 4, 0, 0},       {"win98", "win98", 4, 10, true, 4, 10, 0},
    {"winme", "winme", 4, 90, true, 4, 90, 0},     {"nt40", "nt40", 4, 0, false, 4, 0, 0},
    {"win2k", "win2k", 5, 0, false, 5, 0, 0},      {"winxp", "winxp", 5, 1, false, 5, 1, 0},
    {"win7", "win7", 6, 1, false, 6, 1, 7600},     {"win8", "win8", 6, 2, false, 6, 2, 9200},
    {"win81", "win81", 6, 2, false, 6, 3, 9600},   {"win10", "win10", 6, 2, false, 10, 0, 10240},
    {"win11", nullptr, 6, 2, false, 10, 0, 22000},
};

// The case's system while this object lives. Windows 11 is version 10.0
// from build 22000 on; a Wine without a name for it reads it from the
// prefix's version values, for every process started meanwhile.
class CaseSystem {
public:
    explicit CaseSystem(const SystemCase& system) {
        if (system.wineName != nullptr) {
            named.emplace(system.wineName);
            return;
        }
        values.emplace(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion");
        values->SetText("CurrentVersion", "10.0");
        values->SetNumber("CurrentMajorVersionNumber", system.systemMajor);
        values->SetNumber("CurrentMinorVersionNumber", system.systemMinor);
        values->SetText("CurrentBuildNumber", std::to_string(system.firstBuild).c_str());
    }

private:
    std::optional<ToolVersion> named;
    std::optional<ScopedValues> values;
};

class SystemVersionTest : public ToolTest, public testing::WithParamInterface<SystemCase> {
protected:
    // Opens the tool under the case's system and checks what the tool sees.
    HWND OpenUnderSystem() {
        HWND dialog = Open();
        if (dialog == nullptr) {
            return nullptr;
        }
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* answer = probe.Ask(dialog, e2eprobe::kReadSystemVersion);
        EXPECT_NE(nullptr, answer);
        if (answer != nullptr) {
            const SystemCase& system = GetParam();
            const DWORD version = answer->systemVersion;
            EXPECT_EQ(system.major, LOBYTE(LOWORD(version))) << std::hex << version;
            EXPECT_EQ(system.minor, HIBYTE(LOWORD(version))) << std::hex << version;
            EXPECT_EQ(system.windows9x, (version & 0x80000000u) != 0) << std::hex << version;
            EXPECT_EQ(system.systemMajor, answer->ntMajor);
            EXPECT_EQ(system.systemMinor, answer->ntMinor);
            EXPECT_LE(system.firstBuild, answer->ntBuild);
            EXPECT_EQ(ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, answer->runLevel);
        }
        return dialog;
    }
};

TEST_P(SystemVersionTest, OkWritesBothSettings) {
    const CaseSystem system(GetParam());
    HWND dialog = OpenUnderSystem();
    ASSERT_NE(nullptr, dialog);

    ASSERT_NO_FATAL_FAILURE(ChooseOverlayWithoutSurface(dialog));
    ClickControl(dialog, IDOK);

    EXPECT_EQ(0u, ExitCode());
    ExpectStored("PreviewOnly", Stored('0'));
    ExpectStored("Force Primary", Stored('1'));
}

TEST_P(SystemVersionTest, EscapeWritesNothing) {
    StoreRaw("PreviewOnly", REG_SZ, Stored('1'));
    const CaseSystem system(GetParam());
    HWND dialog = OpenUnderSystem();
    ASSERT_NE(nullptr, dialog);

    ClickControl(dialog, IDC_USE_OVERLAY);
    ASSERT_TRUE(WaitUntil([&] { return CheckState(dialog, IDC_USE_OVERLAY) == BST_CHECKED; }));
    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_ESCAPE);

    EXPECT_EQ(static_cast<DWORD>(VK_ESCAPE), ExitCode());
    ExpectStored("PreviewOnly", Stored('1'));
    EXPECT_FALSE(KeyExists("Bt848\\Force Primary"));
}

INSTANTIATE_TEST_SUITE_P(Systems, SystemVersionTest, testing::ValuesIn(kSystems),
                         [](const testing::TestParamInfo<SystemCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
