// LUMCFG's application object: its per-instance start runs the settings
// dialog to its end, then lets the framework finish.
#include <cstdlib>
#include <cstring>

#include "app/config_dialog.h"
#include "framework/look3d/look3d_core.h"
#include "framework/look3d/look3d_state.h"
#include "framework/runtime/string_resource.h"
#include "framework/windows/win_app.h"

// The look loads its glyph grid from the program by this id.
static_assert(IDB_LOOK3D_GLYPHS == look3d::kGlyphResource);

namespace {

// Each language has a help file of its own beside the program; its name
// comes from the string table the loader chose, so F1 opens the one in the
// user's language.
void UseHelpFileOfLanguage(CWinApp& app) {
    char name[MAX_PATH];
    if (app.helpFilePath == nullptr || LoadStringResource(IDS_HELP_FILE, name, sizeof name) == 0) {
        return;
    }
    const int folderLength =
        lstrlenA(app.helpFilePath) - (GetFileNamePart(app.helpFilePath, nullptr, 0) - 1);
    const int nameLength = lstrlenA(name);
    char* path = static_cast<char*>(malloc(folderLength + nameLength + 1));
    if (path == nullptr) {
        return;
    }
    memcpy(path, app.helpFilePath, folderLength);
    memcpy(path + folderLength, name, nameLength + 1);
    free(app.helpFilePath);
    app.helpFilePath = path;
}

class CConfigApp : public CWinApp {
    LUM_DECLARE_MESSAGE_MAP()
public:
    BOOL StartInstance() override {
        EnableLook3dStatic();
        UseHelpFileOfLanguage(*this);
        CConfigDlg dialog;
        mainWindow = &dialog;
        // Destroying the dialog's window clears mainWindow and posts the quit.
        dialog.RunModal();
        return FALSE;
    }
};

LUM_BEGIN_MESSAGE_MAP(CConfigApp, CWinApp)
LUM_ON_COMMAND(ID_HELP_COMMAND, CConfigApp, HandleHelpCommand)
LUM_END_MESSAGE_MAP(CConfigApp, CWinApp)

CConfigApp theApp;

} // namespace
