// LUMCFG's application object: its per-instance start runs the settings
// dialog to its end, then lets the framework finish.
#include <cstdlib>
#include <cstring>

#include "app/config_dialog.h"
#include "framework/look3d/look3d_core.h"
#include "framework/look3d/look3d_state.h"
#include "framework/runtime/string_resource.h"
#include "framework/windows/messaging/win_app.h"

// The look loads its glyph grid from the program by this id.
static_assert(IDB_LOOK3D_GLYPHS == look3d::kGlyphResource);

namespace {

// Each language has a help file of its own beside the program, named after
// it: the string table the loader chose gives the ending that takes the place
// of ".HLP" (".HLP" itself in Japanese), so F1 opens the one in the user's
// language and a renamed program still finds its own.
void UseHelpFileOfLanguage(CWinApp& app) {
    static constexpr char kDerivedEnding[] = ".HLP";
    constexpr int kDerivedLength = sizeof kDerivedEnding - 1;
    char ending[16];
    const int endingLength = LoadStringResource(IDS_HELP_FILE_ENDING, ending, sizeof ending);
    if (app.helpFilePath == nullptr || endingLength == 0) {
        return;
    }
    const int stemLength = lstrlenA(app.helpFilePath) - kDerivedLength;
    if (stemLength < 0 || lstrcmpiA(app.helpFilePath + stemLength, kDerivedEnding) != 0) {
        return;
    }
    char* path = static_cast<char*>(malloc(stemLength + endingLength + 1));
    if (path == nullptr) {
        return;
    }
    memcpy(path, app.helpFilePath, stemLength);
    memcpy(path + stemLength, ending, endingLength + 1);
    free(app.helpFilePath);
    app.helpFilePath = path;
}

class CConfigApp : public CWinApp {
    LUM_DECLARE_MESSAGE_MAP(CConfigApp)
public:
    BOOL StartInstance() override {
        // The dialogs are laid out in dialog units and their fonts follow the
        // system's DPI: they scale themselves.
        DeclareDpiAware();
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
LUM_ON_COMMAND(ID_HELP_COMMAND, HandleHelpCommand)
LUM_END_MESSAGE_MAP(CConfigApp, CWinApp)

CConfigApp theApp;

} // namespace
