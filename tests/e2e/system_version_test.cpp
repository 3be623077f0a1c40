// The settings dialog on each system its users have, as Wine reports that
// system to the tool alone: it opens, OK writes both settings, Escape writes
// nothing.
#include "tool_driver.h"

namespace {

using namespace e2e;

struct SystemCase {
    const char* wineName;
    BYTE major;
    BYTE minor;
    bool windows9x; // GetVersion's top bit
};

void PrintTo(const SystemCase& system, std::ostream* out) {
    *out << system.wineName;
}

constexpr SystemCase kSystems[] = {
    {"win95", 4, 0, true}, {"win98", 4, 10, true}, {"winme", 4, 90, true},
    {"nt40", 4, 0, false}, {"win2k", 5, 0, false}, {"winxp", 5, 1, false},
};

class SystemVersionTest : public ToolTest, public testing::WithParamInterface<SystemCase> {
protected:
    // Opens the tool under the case's system and checks that the tool sees it.
    HWND OpenUnderSystem() {
        HWND dialog = Open();
        if (dialog == nullptr) {
            return nullptr;
        }
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* answer = probe.Ask(dialog, e2eprobe::kReadSystemVersion);
        EXPECT_NE(nullptr, answer);
        if (answer != nullptr) {
            const DWORD version = answer->systemVersion;
            EXPECT_EQ(GetParam().major, LOBYTE(LOWORD(version))) << std::hex << version;
            EXPECT_EQ(GetParam().minor, HIBYTE(LOWORD(version))) << std::hex << version;
            EXPECT_EQ(GetParam().windows9x, (version & 0x80000000u) != 0) << std::hex << version;
        }
        return dialog;
    }
};

TEST_P(SystemVersionTest, OkWritesBothSettings) {
    ToolVersion system(GetParam().wineName);
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
    ToolVersion system(GetParam().wineName);
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
                             return std::string(info.param.wineName);
                         });

} // namespace
