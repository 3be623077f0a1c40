// LUMCFG's application object.
#include "framework/runtime/win_app.h"

namespace {

class CConfigApp : public CWinApp {
public:
    // The settings dialog is not built yet: the framework starts, initialises
    // and ends with the exit code of its finishing step.
    BOOL StartInstance() override { return FALSE; }
};

CConfigApp theApp;

} // namespace
