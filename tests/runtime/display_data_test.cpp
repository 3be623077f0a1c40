// The display's records on systems that lack a call: Windows NT 3.51 has
// neither GetProcessVersion nor GetSysColorBrush.
#include <gtest/gtest.h>

#include "common/import_patch.h"
#include "framework/runtime/state.h"

namespace {

COLORREF BrushColor(HBRUSH brush) {
    LOGBRUSH logical = {};
    return GetObjectA(brush, sizeof logical, &logical) == sizeof logical ? logical.lbColor
                                                                         : CLR_INVALID;
}

TEST(DisplayData, WithoutSystemBrushesOwnsBrushesOfTheColorsAndMakesThemAgain) {
    MissingFunction missing("GetSysColorBrush");
    ASSERT_TRUE(missing.Applied());
    HBRUSH before[2] = {};
    HBRUSH after[2] = {};
    {
        DisplayData display;
        EXPECT_EQ(1, MissingFunction::Asks());
        EXPECT_TRUE(display.ownsColorBrushes);
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BrushColor(display.buttonFaceBrush));
        EXPECT_EQ(GetSysColor(COLOR_WINDOWFRAME), BrushColor(display.windowFrameBrush));
        before[0] = display.buttonFaceBrush;
        before[1] = display.windowFrameBrush;
        display.RefreshColors();
        after[0] = display.buttonFaceBrush;
        after[1] = display.windowFrameBrush;
        for (HBRUSH brush : before) {
            EXPECT_EQ(0u, GetObjectType(brush)) << "the brushes of the old colours are deleted";
        }
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BrushColor(after[0]));
    }
    for (HBRUSH brush : after) {
        EXPECT_EQ(0u, GetObjectType(brush)) << "the records' brushes go with them";
    }
}

TEST(DisplayData, SystemBrushesAreTheSystemsWhereTheCallExists) {
    DisplayData display;
    EXPECT_FALSE(display.ownsColorBrushes);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), display.buttonFaceBrush);
    EXPECT_EQ(GetSysColorBrush(COLOR_WINDOWFRAME), display.windowFrameBrush);
}

// The program's version mark is read from 4.0 on, where the call exists.
struct MarkCase {
    const char* name;
    DWORD reportedVersion;
    bool callPresent;
    BOOL marked;
    int asks;
    WORD versionWord;
    BOOL version4;
};

DWORD reportedVersion = 0;
DWORD WINAPI ReportVersion() {
    return reportedVersion;
}

class VersionMark : public testing::TestWithParam<MarkCase> {};

TEST_P(VersionMark, IsReadOnlyWhereTheSystemHasTheCall) {
    const MarkCase& c = GetParam();
    reportedVersion = c.reportedVersion;
    ImportPatch version("KERNEL32.dll", "GetVersion", reinterpret_cast<void*>(&ReportVersion));
    ASSERT_TRUE(version.Applied());
    MissingFunction missing(c.callPresent ? "NoSuchCall" : "GetProcessVersion");
    const DisplayData display;
    EXPECT_EQ(c.marked, display.markedVersion4);
    EXPECT_EQ(c.asks, MissingFunction::Asks());
    EXPECT_EQ(c.versionWord, display.windowsVersion);
    EXPECT_EQ(c.version4, display.isVersion4);
    // A program marked for 4.0 is given scroll bars a pixel wider there.
    const int extra = c.marked ? 1 : 0;
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL) + extra, display.vScrollWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL) + extra, display.hScrollHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, VersionMark,
    testing::Values(MarkCase{"Nt40", 0x05650004, true, TRUE, 0, 0x0400, TRUE},
                    MarkCase{"Nt40WithoutTheCall", 0x05650004, false, FALSE, 1, 0x0400, TRUE},
                    MarkCase{"Nt351", 0x04213303, false, FALSE, 0, 0x0333, FALSE},
                    MarkCase{"Win32s", 0x80000A03, false, FALSE, 0, 0x030A, FALSE}),
    [](const testing::TestParamInfo<MarkCase>& info) { return info.param.name; });

} // namespace
