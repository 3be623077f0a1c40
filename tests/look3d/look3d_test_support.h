// Shared pieces of the 3D look tests: in-memory dialog templates, windows
// that clean up, and the fixture that registers the look for one case.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "common/template_builder.h"
#include "framework/look3d/look3d.h"
#include "framework/look3d/look3d_core.h"

namespace look3dtest {

// The cases that need a system older than 4.0 are skipped in the regular run;
// the look3d_nt351 test entries run them again under a name that Wine
// reports 3.51 to.
inline bool OldSystem() {
    return LOBYTE(LOWORD(GetVersion())) < 4;
}

constexpr char kNeedsOldSystem[] =
    "needs a system older than 4.0; the look3d_nt351 entries run it under 3.51";

inline HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

inline bool Adopted(HWND window) {
    return GetPropA(window, "Lum3dNew") != nullptr;
}

inline LONG ProcOf(HWND window) {
    return GetWindowLongA(window, GWL_WNDPROC);
}

inline LONG AsLong(WNDPROC procedure) {
    return reinterpret_cast<LONG>(procedure);
}

inline WNDPROC ClassProc(const char* name) {
    WNDCLASSA info = {};
    return GetClassInfoA(nullptr, name, &info) ? info.lpfnWndProc : nullptr;
}

using testtemplate::kButton;
using testtemplate::kComboBox;
using testtemplate::kEdit;
using testtemplate::kListBox;
using testtemplate::kStatic;

// The look's dialogs in the classic layout at 0,0, titled "look", their
// controls visible; built item by item.
class Template {
public:
    Template(DWORD style, short cx, short cy) {
        shape.style = style;
        shape.x = 0;
        shape.y = 0;
        shape.cx = cx;
        shape.cy = cy;
        shape.title = L"look";
        if ((style & DS_SETFONT) != 0) {
            shape.font = true;
            shape.points = 8;
            shape.face = L"MS Sans Serif";
        }
        built = testtemplate::Build(shape);
    }

    void Item(WORD classAtom, DWORD style, const char* text, WORD id, short x, short y, short cx,
              short cy) {
        shape.items.push_back({id,
                               style | WS_CHILD | WS_VISIBLE,
                               testtemplate::Ordinal(classAtom),
                               testtemplate::Text(std::wstring(text, text + strlen(text)).c_str()),
                               {},
                               x,
                               y,
                               cx,
                               cy});
        built = testtemplate::Build(shape);
    }

    const DLGTEMPLATE* Get() const { return built.Get(); }

private:
    testtemplate::Shape shape;
    testtemplate::Built built;
};

inline INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Refuses the look whenever it asks.
inline INT_PTR CALLBACK RefusingDialogProc(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_LOOK3D_MAYADOPT && lParam != 0) {
        *reinterpret_cast<BOOL*>(lParam) = FALSE;
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class Dialog {
public:
    explicit Dialog(const Template& t, DLGPROC procedure = &PlainDialogProc)
        : handle(CreateDialogIndirectParamA(Module(), t.Get(), nullptr, procedure, 0)) {}
    ~Dialog() {
        if (IsWindow(handle)) {
            DestroyWindow(handle);
        }
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    HWND Item(int id) const { return GetDlgItem(handle, id); }
    HWND handle;
};

class Window {
public:
    Window(const char* className, DWORD style, HWND parent, const char* text = "", int cx = 120,
           int cy = 24, int id = 0)
        : handle(CreateWindowA(className, text, style, 10, 10, cx, cy, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module(),
                               nullptr)) {}
    ~Window() {
        if (IsWindow(handle)) {
            DestroyWindow(handle);
        }
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND handle;
};

// The look's version and platform words for one case, put back afterwards.
class CoreVersion {
public:
    CoreVersion(WORD version, WORD platform)
        : savedVersion(look3d::TheCore().version), savedPlatform(look3d::TheCore().platform) {
        look3d::TheCore().version = version;
        look3d::TheCore().platform = platform;
    }
    ~CoreVersion() {
        look3d::TheCore().version = savedVersion;
        look3d::TheCore().platform = savedPlatform;
    }
    CoreVersion(const CoreVersion&) = delete;
    CoreVersion& operator=(const CoreVersion&) = delete;

private:
    WORD savedVersion;
    WORD savedPlatform;
};

// The look registered for one case on an old system: attached, and this
// thread hooked; both undone at the end, which tears the core down again.
class OldSystemTest : public testing::Test {
protected:
    void SetUp() override {
        if (!OldSystem()) {
            GTEST_SKIP() << kNeedsOldSystem;
        }
        ASSERT_EQ(look3d::TheCore().attachCount, 0);
        ASSERT_TRUE(Look3dAttach(Module()));
        attached = true;
        ASSERT_TRUE(Look3dHookThread(Module(), 0));
        hooked = true;
    }
    void TearDown() override {
        if (hooked) {
            Look3dUnhookThread();
        }
        if (attached) {
            Look3dDetach(Module());
        }
    }
    bool attached = false;
    bool hooked = false;
};

} // namespace look3dtest
