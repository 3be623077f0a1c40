// The tool's dialogs at 144 DPI (150 %), where the tool scales itself: every
// control stands on its dialog-unit rectangle scaled by its dialog's base
// units, every text fits its control, and the About box shows the icon's
// 48-pixel image.
#include "tool_driver.h"

#include "common/template_reader.h"

namespace {

using namespace e2e;

constexpr int kDpi = 144;

class HighDpiTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        program = LoadLibraryExW(HostToWinePath(LUM_E2E_TOOL_PATH).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, program);
        // The caption in the language of the resources the tool shows.
        wchar_t caption[64] = L"";
        LoadStringW(program, IDS_SETTINGS_CAPTION, caption, 64);
        tool.settingsCaption = caption;
    }
    void TearDown() override {
        FreeLibrary(program);
        ToolTest::TearDown();
    }

    dialog_template::Template Template(UINT id) {
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), RT_DIALOG);
        const void* bytes = found != nullptr ? LockResource(LoadResource(program, found)) : nullptr;
        EXPECT_NE(nullptr, bytes) << "no dialog " << id;
        return dialog_template::TemplateReader(
                   {static_cast<const BYTE*>(bytes), SizeofResource(program, found)})
            .Read();
    }

    // The shown dialog of the tool besides the settings dialog.
    HWND WaitForBox(HWND dialog) {
        HWND box = nullptr;
        WaitUntil([&] {
            for (HWND shown : ShownDialogsOf(tool.processId)) {
                box = shown != dialog ? shown : box;
            }
            return box != nullptr;
        });
        return box;
    }

    void ExpectScaledLayout(HWND dialog, UINT templateId);

    HMODULE program = nullptr;
};

bool IsClass(const e2eprobe::LayoutItem& item, const wchar_t* name) {
    return lstrcmpiW(item.className, name) == 0;
}

// An icon control takes the size of its icon, an etched line that of its edge.
bool SizesItself(const e2eprobe::LayoutItem& item) {
    const DWORD type = item.style & SS_TYPEMASK;
    return IsClass(item, L"Static") &&
           (type == SS_ICON || type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT);
}

// The room a control leaves its text: a push button its inside within its
// edges, a check box or radio button what is left beside its box and a
// character's gap, a label all of it.
void ExpectTextFits(const e2eprobe::LayoutItem& item, const e2eprobe::Layout& layout) {
    const LONG width = item.rect.right - item.rect.left;
    const LONG height = item.rect.bottom - item.rect.top;
    if (IsClass(item, L"Static")) {
        if ((item.style & SS_TYPEMASK) <= SS_RIGHT) {
            EXPECT_LE(item.wrapped.cx, width) << "the text runs out of its label";
            EXPECT_LE(item.wrapped.cy, height) << "the text runs below its label";
        }
        return;
    }
    const DWORD type = item.style & BS_TYPEMASK;
    const bool pushButton = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
    const LONG border = pushButton ? 2 * layout.edge : layout.checkBoxWidth + layout.baseUnits.cx;
    EXPECT_LE(item.line.cx, width - border) << "the text runs out of its button";
    EXPECT_LE(item.line.cy, height - (pushButton ? 2 * layout.edge : 0))
        << "the text is taller than its button";
}

void HighDpiTest::ExpectScaledLayout(HWND dialog, UINT templateId) {
    SCOPED_TRACE("dialog " + std::to_string(templateId));
    ASSERT_NE(nullptr, dialog);
    const dialog_template::Template expected = Template(templateId);
    ToolProbe probe(tool.threadId);
    const e2eprobe::Block* answer = probe.Ask(dialog, e2eprobe::kReadLayout);
    ASSERT_NE(nullptr, answer);
    const e2eprobe::Layout& layout = answer->layout;
    EXPECT_EQ(kDpi, layout.dpi);
    EXPECT_EQ(-MulDiv(expected.pointSize, kDpi, 72), layout.fontHeight) << "the font's height";
    ASSERT_EQ(expected.items.size(), static_cast<size_t>(layout.itemCount));
    const SIZE base = layout.baseUnits;
    for (int i = 0; i < layout.itemCount; ++i) {
        const e2eprobe::LayoutItem& item = layout.items[i];
        const dialog_template::Item& units = expected.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(item.id));
        const RECT want = {MulDiv(units.x, base.cx, 4), MulDiv(units.y, base.cy, 8),
                           MulDiv(units.x, base.cx, 4) + MulDiv(units.cx, base.cx, 4),
                           MulDiv(units.y, base.cy, 8) + MulDiv(units.cy, base.cy, 8)};
        EXPECT_EQ(want.left, item.rect.left);
        EXPECT_EQ(want.top, item.rect.top);
        if (!SizesItself(item)) {
            EXPECT_EQ(want.right, item.rect.right);
            EXPECT_EQ(want.bottom, item.rect.bottom);
        }
        ExpectTextFits(item, layout);
    }
}

TEST_F(HighDpiTest, DialogsScaleWithTheSystemAndTheAboutBoxShowsTheLargeIcon) {
    const SystemDpi dpi(kDpi);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectScaledLayout(dialog, IDD_CONFIG);

    PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND about = WaitForBox(dialog);
    ExpectScaledLayout(about, IDD_ABOUT);
    {
        ToolProbe probe(tool.threadId);
        const e2eprobe::Block* answer = probe.Ask(about, e2eprobe::kReadDrawnIcon);
        ASSERT_NE(nullptr, answer);
        const e2eprobe::DrawnIcon& icon = answer->drawnIcon;
        ASSERT_TRUE(icon.read) << "no icon control or image";
        EXPECT_EQ(48, icon.imageWidth) << "the system picked another image";
        EXPECT_EQ(48, icon.control.cx);
        EXPECT_EQ(48, icon.control.cy);
        EXPECT_EQ(0, icon.differingPixels) << "the control does not show that image";
    }
    ASSERT_TRUE(MakeActive(about, tool.threadId));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_HELP_BUTTON)));
    HWND help = WaitForBox(dialog);
    ExpectScaledLayout(help, IDD_HELP);
    ASSERT_TRUE(MakeActive(help, tool.threadId));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));

    ASSERT_TRUE(MakeActive(dialog, tool.threadId));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(static_cast<DWORD>(VK_ESCAPE), ExitCode());
    EXPECT_FALSE(KeyExists("Bt848"));
}

} // namespace
