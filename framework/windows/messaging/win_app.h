// The application object: the main thread's thread object plus the
// application's names and paths, and the process's start-up and shut-down.
// Declared here, where windows and dialogs use it; what it does is in
// framework/windows/application/.
#pragma once

#include "framework/runtime/program_startup.h"

#include <windows.h>
#include "framework/windows/messaging/win_thread.h"

class CWinApp : public CWinThread {
    LUM_DECLARE_CLASS(CWinApp)
    LUM_DECLARE_MESSAGE_MAP(CWinApp)
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    BOOL StartInstance() override;
    int RunLoop() override;
    BOOL IdleStep(LONG count) override;
    int FinishInstance() override;
    LRESULT HandleCallbackException(CException* e, const MSG* message) override;

    // Dormant, like the document, printer, recent-file and command-line
    // fields below: this framework has no documents, printing or DDE. They
    // keep their places in the virtual table and the record.
    virtual void* OpenDocument(const char* path);
    virtual void AddRecentFile(const char* path);
    virtual BOOL StartApplication();
    virtual BOOL SaveChangedDocuments();
    virtual int ShowMessageBox(const char* text, UINT type, UINT promptId);
    virtual void ShowWaitCursor(int delta);
    virtual BOOL HandleDdeCommand(const char* command);
    virtual void ShowHelp(DWORD data, UINT command);
    // A modal state begins (FALSE) or ends (TRUE). Only frame windows that
    // host in-place items would be told; this framework makes none.
    void SetModelessEnabled(BOOL) {}

    // Commands the application answers.
    void HandleHelpCommand();
    void HandleExitCommand();
    void UpdateRecentFileCommand(CCmdUI* state);
    BOOL OpenRecentFile(UINT id);

    void DeriveNamesAndPaths();
    HKEY OpenApplicationKey();
    HKEY OpenSectionKey(const char* section);
    BOOL StoreProfileInteger(const char* section, const char* entry, int value);
    void SaveStandardSettings();

    HINSTANCE instance = nullptr;
    HINSTANCE previousInstance = nullptr;
    char* commandLine = nullptr;
    int showCommand = 0;
    char* appName = nullptr;
    char* registryKey = nullptr;
    void* documentManager = nullptr;
    BOOL helpMode = FALSE;
    char* exeName = nullptr;
    char* helpFilePath = nullptr;
    char* profileName = nullptr;
    HGLOBAL printerDevMode = nullptr;
    HGLOBAL printerDevNames = nullptr;
    DWORD promptContext = 0;
    int waitCursorCount = 0;
    HCURSOR savedCursor = nullptr;
    void* recentFileList = nullptr;
    void* commandLineInfo = nullptr;
    ATOM appAtom = 0;
    ATOM systemTopicAtom = 0;
    UINT previewPages = 0;
    UINT safetyPoolSize = 512;
};

CWinApp* GetApplication();
// Brings the thread's safety pool back to the application's ideal size
// (idle clean-up).
void RefillSafetyPool();

int FrameworkMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);
BOOL InitializeFramework(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);
void InitializeThread();
void TerminateFramework();

// Tells Windows Vista and later that the program scales its windows with the
// system's DPI itself, so that they are not stretched into a blur; to be
// called before its first window. Earlier systems have no such call.
void DeclareDpiAware();

// Copies the last component of `path` into `out` (at most `max` bytes with
// the terminator) and returns 0; with `out` null returns its length plus one.
int GetFileNamePart(const char* path, char* out, int max);

// The names derived from a module path: title, help file and profile.
struct DerivedNames {
    char title[MAX_PATH + 8];
    char helpFile[MAX_PATH + 8];
    char profile[MAX_PATH + 8];
};
void DeriveNamesFromPath(const char* modulePath, DerivedNames* out);
