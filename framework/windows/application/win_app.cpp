#include "framework/windows/messaging/win_app.h"

#include <malloc.h>
#include <cstdlib>
#include <cstring>
#include "framework/runtime/code_page.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/global_locks.h"
#include "framework/runtime/message_box.h"
#include "framework/runtime/state.h"
#include "framework/runtime/string_resource.h"
#include "framework/windows/dialogs/dialog.h"
#include "framework/windows/messaging/window.h"

LUM_IMPLEMENT_CLASS(CWinApp, CWinThread)

namespace {

char* CopyText(const char* text) {
    size_t n = strlen(text) + 1;
    auto* copy = static_cast<char*>(malloc(n));
    if (copy == nullptr) {
        RaiseMemoryException();
    }
    memcpy(copy, text, n);
    return copy;
}

// The last of `set`'s characters in `text`, stepping over double-byte
// characters of the multibyte code page as one.
char* FindLastOf(char* text, const char* set) {
    char* last = nullptr;
    for (char* p = text; *p != '\0'; ++p) {
        if (IsMultibyteLeadByte(static_cast<BYTE>(*p))) {
            if (p[1] == '\0') {
                break;
            }
            ++p;
        } else if (strchr(set, *p) != nullptr) {
            last = p;
        }
    }
    return last;
}

int ShowThroughApplication(const char* text, UINT type, UINT helpId) {
    CWinApp* app = GetApplication();
    if (app == nullptr) {
        return MessageBoxA(nullptr, text, nullptr, type);
    }
    return app->ShowMessageBox(text, type, helpId);
}

} // namespace

CWinApp::CWinApp(const char* name) {
    if (name != nullptr) {
        appName = CopyText(name);
    }
    GetModuleThreadState()->currentThread = this;
    threadHandle = GetCurrentThread();
    threadId = GetCurrentThreadId();
    GetModuleState()->currentApp = this;
    GetModuleState()->messageBoxHandler = &ShowThroughApplication;
}

CWinApp::~CWinApp() {
    if (printerDevMode != nullptr) {
        GlobalFree(printerDevMode);
    }
    if (printerDevNames != nullptr) {
        GlobalFree(printerDevNames);
    }
    if (appAtom != 0) {
        GlobalDeleteAtom(appAtom);
    }
    if (systemTopicAtom != 0) {
        GlobalDeleteAtom(systemTopicAtom);
    }
    ModuleState* module = GetModuleState();
    if (module->currentAppName == appName) {
        module->currentAppName = nullptr;
    }
    if (module->currentApp == this) {
        module->currentApp = nullptr;
        module->messageBoxHandler = nullptr;
    }
    free(appName);
    free(registryKey);
    free(exeName);
    free(helpFilePath);
    free(profileName);
}

BOOL CWinApp::StartInstance() {
    return TRUE;
}

int CWinApp::RunLoop() {
    if (mainWindow == nullptr && GetModuleState()->userControl) {
        PostQuit(0);
    }
    return CWinThread::RunLoop();
}

BOOL CWinApp::IdleStep(LONG count) {
    if (count <= 0) {
        CWinThread::IdleStep(count);
        // Document templates would get their idle call here; there are none.
    } else if (count == 1) {
        CWinThread::IdleStep(count);
    }
    return count < 1;
}

int CWinApp::FinishInstance() {
    if (GetModuleState()->isLibrary == 0) {
        SaveStandardSettings();
    }
    return static_cast<int>(currentMessage.wParam);
}

LRESULT CWinApp::HandleCallbackException(CException* e, const MSG* message) {
    if (message->message == WM_CREATE || message->message == WM_PAINT) {
        return CWinThread::HandleCallbackException(e, message);
    }
    UINT promptId = IDS_INTERNAL_ERROR;
    LRESULT result = 0;
    if (message->message == WM_COMMAND) {
        result = 1;
        if (message->lParam == 0) {
            promptId = IDS_COMMAND_FAILED;
        }
    }
    if (e->IsOfKind(LUM_RUNTIME_CLASS(CMemoryException))) {
        e->ShowErrorBox(MB_ICONEXCLAMATION | MB_SYSTEMMODAL, promptId);
    } else if (!e->IsOfKind(LUM_RUNTIME_CLASS(CUserException))) {
        e->ShowErrorBox(MB_ICONSTOP, promptId);
    }
    return result;
}

LUM_BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
LUM_ON_COMMAND(ID_EXIT_COMMAND, HandleExitCommand)
LUM_ON_UPDATE_COMMAND_UI(ID_RECENT_FILE_FIRST, UpdateRecentFileCommand)
LUM_ON_COMMAND_RANGE(ID_RECENT_FILE_FIRST, ID_RECENT_FILE_LAST, OpenRecentFile)
LUM_END_MESSAGE_MAP(CWinApp, CCmdTarget)

void CWinApp::HandleExitCommand() {
    if (CWnd* main = GetMainWindow()) {
        PostMessageA(main->windowHandle, WM_CLOSE, 0, 0);
    }
}

// The recent-file list belongs to the document layer, which this framework
// does not build: its entry stays disabled and its commands open nothing.
void CWinApp::UpdateRecentFileCommand(CCmdUI* state) {
    state->SetEnabled(FALSE);
}

BOOL CWinApp::OpenRecentFile(UINT) {
    return FALSE;
}

void* CWinApp::OpenDocument(const char*) {
    return nullptr;
}

void CWinApp::AddRecentFile(const char*) {}

BOOL CWinApp::StartApplication() {
    return TRUE;
}

BOOL CWinApp::SaveChangedDocuments() {
    return TRUE;
}

int CWinApp::ShowMessageBox(const char* text, UINT type, UINT promptId) {
    SetModelessEnabled(FALSE);
    HWND disabledTop = nullptr;
    CWnd* owner = ChooseModalOwner(nullptr, &disabledTop);
    HWND ownerHandle = owner != nullptr ? owner->windowHandle : nullptr;
    // While the box is open, F1 asks for its prompt's help. (A frame window
    // would keep a context of its own; this framework makes none.)
    DWORD* context = &promptContext;
    DWORD oldContext = *context;
    if (promptId != 0) {
        *context = kPromptHelpContextBase + promptId;
    }
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
        case MB_YESNO:
            type |= MB_ICONEXCLAMATION;
            break;
        default:
            break;
        }
    }
    int result = MessageBoxA(ownerHandle, text, appName, type);
    *context = oldContext;
    if (disabledTop != nullptr) {
        EnableWindow(disabledTop, TRUE);
    }
    SetModelessEnabled(TRUE);
    return result;
}

void CWinApp::ShowWaitCursor(int delta) {
    CriticalSectionLock guard(GlobalLockSection(kLockWaitCursor));
    waitCursorCount += delta;
    if (waitCursorCount <= 0) {
        waitCursorCount = 0;
        SetCursor(savedCursor);
    } else {
        HCURSOR previous = SetCursor(GetDisplayData().waitCursor);
        if (delta > 0 && waitCursorCount == 1) {
            savedCursor = previous;
        }
    }
}

BOOL CWinApp::HandleDdeCommand(const char*) {
    return FALSE;
}

void CWinApp::DeriveNamesAndPaths() {
    ModuleState* module = GetModuleState();
    module->instanceHandle = instance;
    module->resourceHandle = instance;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        path[n == 0 ? 0 : MAX_PATH - 1] = '\0';
    }
    DerivedNames names;
    DeriveNamesFromPath(path, &names);
    if (exeName == nullptr) {
        exeName = CopyText(names.title);
    }
    if (appName == nullptr) {
        char text[256];
        appName = CopyText(LoadStringResource(0xE000, text, sizeof text) != 0 ? text : exeName);
    }
    module->currentAppName = appName;
    if (helpFilePath == nullptr) {
        helpFilePath = CopyText(names.helpFile);
    }
    if (profileName == nullptr) {
        profileName = CopyText(names.profile);
    }
}

void DeriveNamesFromPath(const char* modulePath, DerivedNames* out) {
    // Room for the extensions: a path of the full 259 bytes must not overflow.
    char stem[MAX_PATH + 8];
    lstrcpynA(stem, modulePath, MAX_PATH);
    // Only a dot in the file name starts the extension; one in a directory
    // name would put the help file beside the directory.
    char* name = FindLastOf(stem, "/\\:");
    if (char* dot = FindLastOf(name != nullptr ? name + 1 : stem, ".")) {
        *dot = '\0';
    }
    GetFileNamePart(stem, out->title, MAX_PATH);
    lstrcpynA(out->helpFile, stem, MAX_PATH);
    lstrcatA(out->helpFile, ".HLP");
    lstrcpynA(out->profile, out->title, MAX_PATH);
    lstrcatA(out->profile, ".INI");
}

int GetFileNamePart(const char* path, char* out, int max) {
    char* copy = const_cast<char*>(path);
    char* sep = FindLastOf(copy, "/\\:");
    const char* name = sep != nullptr ? sep + 1 : path;
    if (out == nullptr) {
        return lstrlenA(name) + 1;
    }
    lstrcpynA(out, name, max);
    return 0;
}

HKEY CWinApp::OpenApplicationKey() {
    HKEY software = nullptr;
    HKEY company = nullptr;
    HKEY application = nullptr;
    DWORD disposition;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ | KEY_WRITE, &software) ==
            ERROR_SUCCESS &&
        RegCreateKeyExA(software, registryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &company, &disposition) == ERROR_SUCCESS) {
        if (RegCreateKeyExA(company, profileName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &application,
                            &disposition) != ERROR_SUCCESS) {
            application = nullptr;
        }
    }
    if (software != nullptr) {
        RegCloseKey(software);
    }
    if (company != nullptr) {
        RegCloseKey(company);
    }
    return application;
}

HKEY CWinApp::OpenSectionKey(const char* section) {
    HKEY application = OpenApplicationKey();
    if (application == nullptr) {
        return nullptr;
    }
    HKEY sectionKey = nullptr;
    DWORD disposition;
    if (RegCreateKeyExA(application, section, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &sectionKey,
                        &disposition) != ERROR_SUCCESS) {
        sectionKey = nullptr;
    }
    RegCloseKey(application);
    return sectionKey;
}

BOOL CWinApp::StoreProfileInteger(const char* section, const char* entry, int value) {
    if (registryKey != nullptr) {
        HKEY key = OpenSectionKey(section);
        if (key == nullptr) {
            return FALSE;
        }
        LONG status = RegSetValueExA(key, entry, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    char text[16];
    wsprintfA(text, "%d", value);
    return WritePrivateProfileStringA(section, entry, text, profileName);
}

void CWinApp::SaveStandardSettings() {
    CWinApp* app = GetApplication();
    if (app != nullptr && app->previewPages != 0) {
        StoreProfileInteger("Settings", "PreviewPages", static_cast<int>(app->previewPages));
    }
}

void RefillSafetyPool() {
    CWinApp* app = GetApplication();
    if (app == nullptr || app->safetyPoolSize == 0) {
        return;
    }
    ThreadState* state = GetThreadState();
    if (state->safetyPool != nullptr && _msize(state->safetyPool) >= app->safetyPoolSize) {
        return;
    }
    size_t oldSize = 0;
    if (state->safetyPool != nullptr) {
        oldSize = _msize(state->safetyPool);
        free(state->safetyPool);
    }
    state->safetyPool = malloc(app->safetyPoolSize);
    if (state->safetyPool == nullptr && oldSize != 0) {
        state->safetyPool = malloc(oldSize);
    }
}
