// Modal dialogs run by the framework's loop: owner handling, idle phases,
// ending, the message left for the exit code, centring and init data.
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <vector>
#include "framework/runtime/exceptions.h"
#include "framework/runtime/state.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/dialogs/dialog.h"
#include "framework/windows/handles/gdi_object.h"
#include "framework/windows/messaging/window_proc.h"
#include "common/import_patch.h"
#include "common/window_text.h"
#include "windows/window_test_support.h"

using wintest::Seen;

namespace {

constexpr UINT kHidden = 200;
constexpr UINT kQuiet = 201;
constexpr UINT kSystemCentered = 202;
constexpr UINT kPlaced = 203;
constexpr UINT kVisible = 204;
constexpr UINT kLists = 205;
constexpr UINT kOldFace = 206;

class DialogApp : public CWinApp {
public:
    DialogApp() : CWinApp("DialogTests") {}
};

// The owner: records WM_ENTERIDLE into the shared log and routed commands.
class OwnerWnd : public CWnd {
    LUM_DECLARE_MESSAGE_MAP(OwnerWnd)
public:
    explicit OwnerWnd(std::vector<Seen>* log) : log(log) {}
    ~OwnerWnd() override {
        if (windowHandle != nullptr) {
            DestroyHandle();
        }
    }
    void OnEnterIdle(UINT reason, CWnd* dialog) {
        log->push_back(
            {WM_ENTERIDLE, reason,
             reinterpret_cast<LPARAM>(dialog != nullptr ? dialog->windowHandle : nullptr)});
    }
    void OnRoutedCommand() { ++routedCommands; }
    LRESULT OnEnable(WPARAM enabled, LPARAM) {
        if (onEnable) {
            onEnable(static_cast<BOOL>(enabled));
        }
        return 0;
    }

    std::vector<Seen>* log;
    int routedCommands = 0;
    std::function<void(BOOL)> onEnable;
};

LUM_BEGIN_MESSAGE_MAP(OwnerWnd, CWnd)
LUM_ON_WM_ENTERIDLE(OnEnterIdle)
LUM_ON_COMMAND(0x8001, OnRoutedCommand)
LUM_ON_MESSAGE(WM_ENABLE, LumForm::LresultWParamLParam, OnEnable)
LUM_END_MESSAGE_MAP(OwnerWnd, CWnd)

class TestDialog : public CDialog {
    LUM_DECLARE_MESSAGE_MAP(TestDialog)
public:
    TestDialog(UINT id, CWnd* parent, std::vector<Seen>* log) : CDialog(id, parent), log(log) {}

    BOOL InitializeDialog() override {
        ++initCalls;
        visibleAtInit = IsWindowVisible(windowHandle);
        if (closeInInit != 0) {
            CloseDialog(closeInInit);
            return FALSE;
        }
        if (quitInInit) {
            PostQuitMessage(7);
        }
        if (disableCancel) {
            ::EnableWindow(::GetDlgItem(windowHandle, IDCANCEL), FALSE);
        }
        return CDialog::InitializeDialog();
    }
    void ExchangeDialogData(void* context) override {
        auto* exchange = static_cast<CExchangeContext*>(context);
        exchanges.push_back(exchange->saveAndValidate);
        lockedOutDuringExchange = GetThreadState()->lockoutNotifyWindow == windowHandle;
        if (exchange->saveAndValidate && refuseSave) {
            RaiseUserException();
        }
    }
    void FontAssigned(CGdiObject* font) override {
        assignedFont = font != nullptr ? static_cast<HFONT>(font->objectHandle) : nullptr;
    }
    LRESULT OnCreate(WPARAM, LPARAM) {
        HWND owner = GetWindow(windowHandle, GW_OWNER);
        ownerEnabledAtCreate = owner != nullptr ? ::IsWindowEnabled(owner) : -1;
        return DefaultForCurrentMessage();
    }
    LRESULT OnIdleKick(WPARAM, LPARAM count) {
        log->push_back({WM_LUM_KICKIDLE, 0, count});
        if (kicks++ == 0) {
            visibleAtFirstKick = IsWindowVisible(windowHandle);
            GetWindowRect(windowHandle, &rectAtFirstKick);
        }
        return onKick ? onKick(count) : 0;
    }
    void OnDestroy() {
        HWND owner = GetWindow(windowHandle, GW_OWNER);
        ownerEnabledAtDestroy = owner != nullptr ? ::IsWindowEnabled(owner) : -1;
        activeAtDestroy = GetActiveWindow();
        visibleAtDestroy = IsWindowVisible(windowHandle);
        DefaultForCurrentMessage();
    }
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        PostMessageA(windowHandle, message, wParam, lParam);
    }
    // Looks, then posts the command, at every idle kick: how most runs here end.
    void PostOnKick(UINT command, std::function<void()> look = {}) {
        onKick = [this, command, look](LPARAM) -> LRESULT {
            if (look) {
                look();
            }
            Post(WM_COMMAND, command);
            return 0;
        };
    }
    // One step per idle kick; the last one repeats.
    void StepPerKick(std::vector<std::function<void()>> steps) {
        onKick = [this, steps](LPARAM) -> LRESULT {
            steps[std::min<size_t>(steps.size(), kicks) - 1]();
            return 0;
        };
    }

    std::vector<Seen>* log;
    std::function<LRESULT(LPARAM)> onKick;
    int closeInInit = 0;
    bool quitInInit = false;
    bool disableCancel = false;
    bool refuseSave = false;
    int initCalls = 0;
    int kicks = 0;
    BOOL visibleAtInit = -1;
    BOOL visibleAtFirstKick = -1;
    BOOL visibleAtDestroy = -1;
    BOOL ownerEnabledAtCreate = -2;
    BOOL ownerEnabledAtDestroy = -2;
    HWND activeAtDestroy = nullptr;
    RECT rectAtFirstKick = {};
    std::vector<BOOL> exchanges;
    bool lockedOutDuringExchange = false;
    HFONT assignedFont = nullptr;
};

LUM_BEGIN_MESSAGE_MAP(TestDialog, CDialog)
LUM_ON_MESSAGE(WM_CREATE, LumForm::LresultWParamLParam, OnCreate)
LUM_ON_MESSAGE(WM_LUM_KICKIDLE, LumForm::LresultWParamLParam, OnIdleKick)
LUM_ON_WM_DESTROY(OnDestroy)
LUM_END_MESSAGE_MAP(TestDialog, CDialog)

bool MakeOwner(OwnerWnd& owner, int x = 100, int y = 100, int width = 300, int height = 200) {
    if (!owner.CreateWithStyles(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                                height, nullptr, nullptr, nullptr)) {
        return false;
    }
    SetActiveWindow(owner.windowHandle);
    return true;
}

void DrainQueue() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message != WM_QUIT) {
            DispatchMessageA(&m);
        }
    }
}

RECT WorkArea() {
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Where centring over `target` inside the work area puts a window of this size.
POINT CenteredOver(const RECT& target, int width, int height) {
    RECT area = WorkArea();
    POINT p = {(target.left + target.right) / 2 - width / 2,
               (target.top + target.bottom) / 2 - height / 2};
    if (p.x < area.left) {
        p.x = area.left;
    } else if (p.x + width > area.right) {
        p.x = area.right - width;
    }
    if (p.y < area.top) {
        p.y = area.top;
    } else if (p.y + height > area.bottom) {
        p.y = area.bottom - height;
    }
    return p;
}

// One idle phase as the owner and the dialog see it, with kicks answered
// until the count reaches 2.
std::vector<Seen> Phase(HWND dialog, bool ownerHears) {
    std::vector<Seen> phase;
    if (ownerHears) {
        phase.push_back({WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dialog)});
    }
    for (LPARAM count = 0; count <= 2; ++count) {
        phase.push_back({WM_LUM_KICKIDLE, 0, count});
    }
    return phase;
}

} // namespace

TEST(ModalRun, OwnerIsDisabledDuringTheRunAndActiveAgainBeforeTheDialogGoes) {
    DialogApp app;
    std::vector<Seen> log;
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner));
    TestDialog dialog(kHidden, &owner, &log);
    dialog.PostOnKick(IDOK, [&] { EXPECT_FALSE(::IsWindowEnabled(owner.windowHandle)); });
    EXPECT_EQ(dialog.RunModal(), IDOK);
    EXPECT_EQ(dialog.ownerEnabledAtCreate, FALSE);
    EXPECT_EQ(dialog.ownerEnabledAtDestroy, TRUE);
    EXPECT_EQ(dialog.activeAtDestroy, owner.windowHandle);
    EXPECT_FALSE(dialog.visibleAtDestroy) << "hidden before it is destroyed";
    EXPECT_TRUE(::IsWindowEnabled(owner.windowHandle));
    EXPECT_EQ(dialog.windowHandle, nullptr);
    EXPECT_EQ(dialog.exchanges, (std::vector<BOOL>{FALSE, TRUE}));
    EXPECT_TRUE(dialog.lockedOutDuringExchange);
    EXPECT_EQ(GetThreadState()->lockoutNotifyWindow, nullptr);
    EXPECT_EQ(GetThreadState()->windowBeingCreated, nullptr);
}

// The hook is armed only around the dialog's own creation: a window the
// owner makes while it is being disabled is not taken for the dialog's.
TEST(ModalRun, WindowTheOwnerMakesWhileBeingDisabledStaysItsOwn) {
    DialogApp app;
    std::vector<Seen> log;
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner));
    HWND made = nullptr;
    owner.onEnable = [&](BOOL enabled) {
        if (!enabled && made == nullptr) {
            made = CreateWindowExA(0, "Static", "made", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        }
    };
    TestDialog dialog(kHidden, &owner, &log);
    bool dialogBound = false;
    dialog.PostOnKick(IDOK, [&] { dialogBound = HasClass(dialog.windowHandle, "#32770"); });
    EXPECT_EQ(dialog.RunModal(), IDOK);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(CWnd::PermanentObjectFor(made), nullptr);
    EXPECT_TRUE(dialogBound);
    DestroyWindow(made);
}

TEST(ModalRun, HiddenTemplateIsShownWhenTheQueueFirstRunsDry) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kHidden, nullptr, &log);
    dialog.PostOnKick(IDCANCEL);
    EXPECT_EQ(dialog.RunModal(), IDCANCEL);
    EXPECT_FALSE(dialog.visibleAtInit);
    EXPECT_TRUE(dialog.visibleAtFirstKick);
}

// Runs the template with an owner through two idle phases (kicks answered
// until their count reaches 2; a posted message starts the second phase)
// and compares what owner and dialog saw with whole phases.
void ExpectWholeIdlePhases(UINT templateId, bool ownerHears) {
    DialogApp app;
    std::vector<Seen> log;
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner));
    TestDialog dialog(templateId, &owner, &log);
    int phases = 0;
    dialog.onKick = [&](LPARAM count) -> LRESULT {
        if (count < 2) {
            return 1;
        }
        ++phases;
        dialog.Post(phases == 1 ? WM_APP : WM_COMMAND, phases == 1 ? 0 : IDCANCEL);
        return 0;
    };
    EXPECT_EQ(dialog.RunModal(), IDCANCEL);
    ASSERT_GE(phases, 2);
    HWND window = ownerHears ? reinterpret_cast<HWND>(log.front().lParam) : nullptr;
    std::vector<Seen> expected;
    for (int i = 0; i < phases; ++i) {
        std::vector<Seen> phase = Phase(window, ownerHears);
        expected.insert(expected.end(), phase.begin(), phase.end());
    }
    ExpectSequence(log, expected);
}

TEST(ModalRun, OwnerHearsEnterIdleOncePerIdlePhaseNotPerKick) {
    ExpectWholeIdlePhases(kHidden, true);
}

TEST(ModalRun, NoIdleMessageStyleKeepsTheOwnerQuiet) {
    ExpectWholeIdlePhases(kQuiet, false);
}

TEST(ModalRun, ClosingDuringInitializationEndsWithoutTheLoop) {
    DialogApp app;
    std::vector<Seen> log;
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner));
    TestDialog dialog(kHidden, &owner, &log);
    dialog.closeInInit = 5;
    EXPECT_EQ(dialog.RunModal(), 5);
    EXPECT_EQ(dialog.kicks, 0) << "the loop never ran";
    EXPECT_EQ(dialog.windowHandle, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.windowHandle));
    DrainQueue();
}

TEST(ModalRun, QuitDuringTheLoopIsPostedAgainAndTheRunFails) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kHidden, nullptr, &log);
    dialog.quitInInit = true;
    EXPECT_EQ(dialog.RunModal(), -1);
    EXPECT_EQ(dialog.windowHandle, nullptr);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u) << "posted again with exit code 0";
    DrainQueue();
}

TEST(ModalRun, RunsTwiceOnOneObject) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kVisible, nullptr, &log);
    dialog.StepPerKick(
        {[&] { dialog.Post(WM_COMMAND, IDOK); }, [&] { dialog.Post(WM_COMMAND, IDCANCEL); }});
    EXPECT_EQ(dialog.RunModal(), IDOK);
    EXPECT_EQ(dialog.RunModal(), IDCANCEL);
    EXPECT_EQ(dialog.initCalls, 2);
    EXPECT_EQ(dialog.windowHandle, nullptr);
}

TEST(ModalRun, MissingTemplateFailsWithoutTouchingTheOwner) {
    DialogApp app;
    std::vector<Seen> log;
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner));
    TestDialog dialog(999, &owner, &log);
    EXPECT_EQ(dialog.RunModal(), -1);
    EXPECT_EQ(dialog.initCalls, 0);
    EXPECT_TRUE(::IsWindowEnabled(owner.windowHandle));
}

TEST(ModalRun, RefusedSaveKeepsTheDialogOpen) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kVisible, nullptr, &log);
    dialog.refuseSave = true;
    dialog.StepPerKick({[&] { dialog.Post(WM_COMMAND, IDOK); }, [&] { dialog.CloseDialog(9); }});
    EXPECT_EQ(dialog.RunModal(), 9);
    EXPECT_EQ(dialog.exchanges, (std::vector<BOOL>{FALSE, TRUE}));
}

// The message the loop retrieved last stays in the thread's record: the
// tool's exit code is its wParam.
struct EndingCase {
    const char* name;
    UINT templateId;
    int control; // 0: post to the dialog itself
    UINT message;
    WPARAM wParam;
    int result;
    UINT lastMessage;
    WPARAM lastWParam;
};

class Ending : public testing::TestWithParam<EndingCase> {};

TEST_P(Ending, LeavesTheLastRetrievedMessageInTheThreadRecord) {
    const EndingCase& c = GetParam();
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(c.templateId, nullptr, &log);
    dialog.StepPerKick({[&] {
        HWND target =
            c.control != 0 ? ::GetDlgItem(dialog.windowHandle, c.control) : dialog.windowHandle;
        PostMessageA(target, c.message, c.wParam, 1);
    }});
    EXPECT_EQ(dialog.RunModal(), c.result);
    EXPECT_EQ(app.currentMessage.message, c.lastMessage);
    EXPECT_EQ(app.currentMessage.wParam, c.lastWParam);
    DrainQueue();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Ending,
    testing::Values(
        EndingCase{"Enter", kVisible, 301, WM_KEYDOWN, VK_RETURN, IDOK, WM_KEYDOWN, VK_RETURN},
        EndingCase{"Escape", kVisible, 301, WM_KEYDOWN, VK_ESCAPE, IDCANCEL, WM_KEYDOWN, VK_ESCAPE},
        // The system dialog procedure answers the close command by posting a
        // cancel command: that is the message retrieved last.
        EndingCase{"CloseCommand", kVisible, 0, WM_SYSCOMMAND, SC_CLOSE, IDCANCEL, WM_COMMAND,
                   IDCANCEL},
        EndingCase{"EscapeInMultiLineEdit", kHidden, 300, WM_KEYDOWN, VK_ESCAPE, IDCANCEL,
                   WM_KEYDOWN, VK_ESCAPE}),
    [](const testing::TestParamInfo<EndingCase>& info) { return info.param.name; });

// Escape for the outer dialog, retrieved by a nested dialog's loop that then
// ends on Enter: the outer loop's only retrieval after that is the wake-up
// its ending posted, yet the record keeps the Escape, as when nothing nests.
TEST(ModalRun, EndedFromANestedLoopLeavesTheMessageThatEndedIt) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog outer(kVisible, nullptr, &log);
    TestDialog inner(kVisible, &outer, &log);
    int innerResult = 0;
    inner.StepPerKick(
        {[&] {
             PostMessageA(::GetDlgItem(outer.windowHandle, 301), WM_KEYDOWN, VK_ESCAPE, 1);
             PostMessageA(::GetDlgItem(inner.windowHandle, 301), WM_KEYDOWN, VK_RETURN, 1);
         },
         [] {}});
    outer.StepPerKick({[&] { innerResult = inner.RunModal(); }, [] {}});
    EXPECT_EQ(IDCANCEL, outer.RunModal());
    EXPECT_EQ(IDOK, innerResult);
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), app.currentMessage.message);
    EXPECT_EQ(static_cast<WPARAM>(VK_ESCAPE), app.currentMessage.wParam);
    DrainQueue();
}

TEST(ModalRun, EscapeInMultiLineEditIsSwallowedWhenCancelIsDisabled) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kHidden, nullptr, &log);
    dialog.disableCancel = true;
    dialog.StepPerKick(
        {[&] { PostMessageA(::GetDlgItem(dialog.windowHandle, 300), WM_KEYDOWN, VK_ESCAPE, 1); },
         [&] { dialog.CloseDialog(77); }});
    EXPECT_EQ(dialog.RunModal(), 77);
}

TEST(ModalRun, FrameworkCommandsGoOnToTheOwner) {
    DialogApp app;
    std::vector<Seen> log;
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner));
    TestDialog dialog(kHidden, &owner, &log);
    dialog.PostOnKick(IDCANCEL, [&] {
        SendMessageA(dialog.windowHandle, WM_COMMAND, 0x8001, 0);
        // Not a framework command: not offered to the owner.
        SendMessageA(dialog.windowHandle, WM_COMMAND, 0x0101, 0);
    });
    dialog.RunModal();
    EXPECT_EQ(owner.routedCommands, 1);
}

TEST(ModalRun, OldFaceTemplateIsShownInTheSystemGuiFont) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kOldFace, nullptr, &log);
    LOGFONTA shown = {};
    dialog.PostOnKick(IDCANCEL, [&] {
        auto font = reinterpret_cast<HFONT>(SendMessageA(dialog.windowHandle, WM_GETFONT, 0, 0));
        GetObjectA(font, sizeof shown, &shown);
    });
    dialog.RunModal();
    LOGFONTA gui = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    EXPECT_STREQ(shown.lfFaceName, gui.lfFaceName);
    EXPECT_NE(dialog.assignedFont, nullptr) << "told the font through WM_SETFONT";
}

// The layout of the template the system is handed, under a reported system.
DWORD reportedVersion = 0;
DWORD WINAPI ReportVersion() {
    return reportedVersion;
}
bool handedExtended = false;
using CreateCall = HWND(WINAPI*)(HINSTANCE, const DLGTEMPLATE*, HWND, DLGPROC, LPARAM);
CreateCall createDialog = nullptr;
HWND WINAPI NoteLayout(HINSTANCE instance, const DLGTEMPLATE* source, HWND parent, DLGPROC proc,
                       LPARAM param) {
    handedExtended = reinterpret_cast<const WORD*>(source)[1] == 0xFFFF;
    return createDialog(instance, source, parent, proc, param);
}

// Win32s takes only the classic layout; every other system gets the
// template as it is.
TEST(ModalRun, ExtendedTemplateIsHandedToWin32sInTheClassicLayout) {
    const struct {
        DWORD version;
        bool extended;
    } cases[] = {{0x80000A03, false}, {0x04213303, true}, {0xC0000004, true}};
    for (const auto& c : cases) {
        reportedVersion = c.version;
        ImportPatch version("KERNEL32.dll", "GetVersion", reinterpret_cast<void*>(&ReportVersion));
        ImportPatch create("USER32.dll", "CreateDialogIndirectParamA",
                           reinterpret_cast<void*>(&NoteLayout));
        ASSERT_TRUE(version.Applied() && create.Applied());
        createDialog = create.Original<CreateCall>();
        DialogApp app;
        std::vector<Seen> log;
        TestDialog dialog(kVisible, nullptr, &log);
        std::string caption;
        dialog.PostOnKick(IDCANCEL, [&] { caption = WindowText(dialog.windowHandle); });
        handedExtended = !c.extended;
        EXPECT_EQ(IDCANCEL, dialog.RunModal()) << std::hex << c.version;
        EXPECT_EQ(c.extended, handedExtended) << std::hex << c.version;
        EXPECT_FALSE(caption.empty()) << std::hex << c.version;
    }
}

TEST(AutoCenter, DialogWithoutOwnerIsCenteredOnTheWorkArea) {
    DialogApp app;
    std::vector<Seen> log;
    TestDialog dialog(kHidden, nullptr, &log);
    dialog.PostOnKick(IDCANCEL);
    dialog.RunModal();
    const RECT& r = dialog.rectAtFirstKick;
    POINT expected = CenteredOver(WorkArea(), r.right - r.left, r.bottom - r.top);
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, expected.y);
}

TEST(AutoCenter, OwnedDialogIsCenteredOverItsOwnerInsideTheWorkArea) {
    DialogApp app;
    std::vector<Seen> log;
    // Near the corner: centring over it would push the dialog off the area.
    OwnerWnd owner(&log);
    ASSERT_TRUE(MakeOwner(owner, 0, 0, 120, 80));
    RECT ownerRect;
    GetWindowRect(owner.windowHandle, &ownerRect);
    TestDialog dialog(kHidden, &owner, &log);
    dialog.PostOnKick(IDCANCEL);
    dialog.RunModal();
    const RECT& r = dialog.rectAtFirstKick;
    POINT expected = CenteredOver(ownerRect, r.right - r.left, r.bottom - r.top);
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, expected.y);
    EXPECT_GE(r.left, WorkArea().left);
}

TEST(AutoCenter, TemplatesThatPlaceThemselvesAreNotMoved) {
    for (UINT id : {kSystemCentered, kPlaced}) {
        DialogApp app;
        std::vector<Seen> log;
        OwnerWnd owner(&log);
        ASSERT_TRUE(MakeOwner(owner, 0, 0, 120, 80));
        RECT ownerRect;
        GetWindowRect(owner.windowHandle, &ownerRect);
        TestDialog dialog(id, &owner, &log);
        EXPECT_FALSE(dialog.WantsAutoCenter());
        dialog.PostOnKick(IDOK);
        dialog.RunModal();
        const RECT& r = dialog.rectAtFirstKick;
        POINT centered = CenteredOver(ownerRect, r.right - r.left, r.bottom - r.top);
        EXPECT_FALSE(r.left == centered.x && r.top == centered.y) << "template " << id;
    }
    TestDialog plain(kHidden, nullptr, nullptr);
    EXPECT_TRUE(plain.WantsAutoCenter());
}

class CenterOver : public testing::Test {
protected:
    // A popup of the given size owned by `owner`, wrapped by a plain object.
    void MakePopup(HWND owner, int width, int height) {
        popup = CreateWindowA("STATIC", "popup", WS_POPUP, 300, 300, width, height, owner, nullptr,
                              nullptr, nullptr);
        object.windowHandle = popup;
    }
    void TearDown() override {
        object.windowHandle = nullptr;
        DestroyWindow(popup);
    }
    RECT PopupRect() const {
        RECT r;
        GetWindowRect(popup, &r);
        return r;
    }
    HWND popup = nullptr;
    CWnd object;
};

TEST_F(CenterOver, NoOwnerGivesTheWorkArea) {
    MakePopup(nullptr, 200, 100);
    object.CenterOverOwner();
    POINT expected = CenteredOver(WorkArea(), 200, 100);
    EXPECT_EQ(PopupRect().left, expected.x);
    EXPECT_EQ(PopupRect().top, expected.y);
}

TEST_F(CenterOver, MinimizedOrHiddenOwnerGivesTheWorkArea) {
    for (int show : {SW_MINIMIZE, SW_HIDE}) {
        wintest::PlainWindow owner("STATIC", WS_POPUP | WS_VISIBLE, nullptr);
        SetWindowPos(owner.handle, nullptr, 10, 10, 100, 60, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(owner.handle, show);
        MakePopup(owner.handle, 200, 100);
        object.CenterOverOwner();
        POINT expected = CenteredOver(WorkArea(), 200, 100);
        EXPECT_EQ(PopupRect().left, expected.x) << show;
        EXPECT_EQ(PopupRect().top, expected.y) << show;
        TearDown();
    }
}

TEST_F(CenterOver, OwnerRectangleIsKeptInsideTheWorkArea) {
    RECT area = WorkArea();
    wintest::PlainWindow owner("STATIC", WS_POPUP | WS_VISIBLE, nullptr);
    SetWindowPos(owner.handle, nullptr, area.right - 50, area.bottom - 40, 100, 60,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    MakePopup(owner.handle, 200, 100);
    object.CenterOverOwner();
    EXPECT_EQ(PopupRect().right, area.right);
    EXPECT_EQ(PopupRect().bottom, area.bottom);
}

TEST_F(CenterOver, LargerThanTheWorkAreaKeepsTheLeftAndTopEdges) {
    RECT area = WorkArea();
    MakePopup(nullptr, area.right - area.left + 100, area.bottom - area.top + 80);
    object.CenterOverOwner();
    EXPECT_EQ(PopupRect().left, area.left);
    EXPECT_EQ(PopupRect().top, area.top);
}

TEST(ModalOwner, ChoosesTheTopLevelWindowAndDisablesAnOuterOne) {
    DialogApp app;
    wintest::PlainWindow top("STATIC", WS_POPUP | WS_VISIBLE, nullptr);
    wintest::PlainWindow child("STATIC", WS_CHILD | WS_VISIBLE, top.handle);
    CWnd childObject(child.handle);
    HWND disabled = reinterpret_cast<HWND>(1);
    CWnd* owner = ChooseModalOwner(&childObject, &disabled);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->windowHandle, top.handle) << "children give way to their top level";
    EXPECT_EQ(disabled, nullptr);
    childObject.windowHandle = nullptr;

    // A popup owned by another top-level window: that one is disabled too.
    wintest::PlainWindow popup("STATIC", WS_POPUP | WS_VISIBLE, top.handle);
    CWnd popupObject(popup.handle);
    owner = ChooseModalOwner(&popupObject, &disabled);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->windowHandle, popup.handle);
    EXPECT_EQ(disabled, top.handle);
    EXPECT_FALSE(IsWindowEnabled(top.handle));
    EnableWindow(top.handle, TRUE);
    popupObject.windowHandle = nullptr;

    // The main dialog before its window exists: no owner at all.
    CWnd mainWithoutWindow;
    app.mainWindow = &mainWithoutWindow;
    EXPECT_EQ(ChooseModalOwner(nullptr, &disabled), nullptr);
    EXPECT_EQ(disabled, nullptr);
    app.mainWindow = nullptr;
}

namespace {

// A control that refuses every string and counts initial-update messages.
LRESULT CALLBACK RefusingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_ADDSTRING) {
        return LB_ERR;
    }
    if (message == WM_LUM_INITIAL_UPDATE) {
        SetWindowLongA(window, GWL_USERDATA, GetWindowLongA(window, GWL_USERDATA) + 1);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterRefusingList() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &RefusingListProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LumRefusingList";
    RegisterClassA(&wc);
}

struct ListContents {
    std::vector<std::string> list;
    std::vector<std::string> combo;
    LONG updates = -1;
};

std::vector<std::string> Strings(HWND control, UINT count, UINT get) {
    std::vector<std::string> out;
    LRESULT n = SendMessageA(control, count, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        char text[64] = {};
        SendMessageA(control, get, i, reinterpret_cast<LPARAM>(text));
        out.emplace_back(text);
    }
    return out;
}

ListContents RunListsDialog(const void* initData, int* result) {
    RegisterRefusingList();
    std::vector<Seen> log;
    TestDialog dialog(kLists, nullptr, &log);
    dialog.initData = initData;
    ListContents contents;
    dialog.PostOnKick(IDOK, [&] {
        HWND w = dialog.windowHandle;
        contents.list = Strings(::GetDlgItem(w, 400), LB_GETCOUNT, LB_GETTEXT);
        contents.combo = Strings(::GetDlgItem(w, 401), CB_GETCOUNT, CB_GETLBTEXT);
        contents.updates = GetWindowLongA(::GetDlgItem(w, 402), GWL_USERDATA);
    });
    *result = dialog.RunModal();
    return contents;
}

} // namespace

TEST(DialogInitData, ResourceFillsListsAndTellsEveryChild) {
    DialogApp app;
    int result = 0;
    ListContents c = RunListsDialog(nullptr, &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(c.list, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(c.combo, (std::vector<std::string>{"gamma"})) << "unknown messages are skipped";
    EXPECT_EQ(c.updates, 1);
}

TEST(DialogInitData, FirstRecordEndingTheDataAppliesNothingButStillUpdates) {
    DialogApp app;
    const WORD empty[] = {0};
    int result = 0;
    ListContents c = RunListsDialog(empty, &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(c.list.empty());
    EXPECT_EQ(c.updates, 1);
}

TEST(DialogInitData, RefusedStringEndsTheDialogWithMinusOne) {
    DialogApp app;
    // id 402, LB_ADDSTRING, 3 bytes "no\0", then the end.
    const BYTE data[] = {0x92, 0x01, 0x80, 0x01, 3, 0, 0, 0, 'n', 'o', 0, 0, 0};
    int result = 0;
    ListContents c = RunListsDialog(data, &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(c.updates, -1) << "the loop never ran";
}
