// LUMCFG's application object: its per-instance start runs the settings
// dialog to its end, then lets the framework finish.
#include "app/config_dialog.h"
#include "framework/look3d/look3d_core.h"
#include "framework/look3d/look3d_state.h"
#include "framework/windows/win_app.h"

// The look loads its glyph grid from the program by this id.
static_assert(IDB_LOOK3D_GLYPHS == look3d::kGlyphResource);

namespace {

class CConfigApp : public CWinApp {
    LUM_DECLARE_MESSAGE_MAP()
public:
    BOOL StartInstance() override {
        EnableLook3dStatic();
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
