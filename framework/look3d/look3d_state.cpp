#include "framework/look3d/look3d_state.h"

#include "framework/look3d/look3d.h"
#include "framework/runtime/state.h"

namespace {

// Torn down after every thread record (those go with the library context),
// so a thread record's unhook still finds the entry points.
__attribute__((init_priority(200))) ProcessLocal<Look3dState> look3dStateHolder;
__attribute__((init_priority(200))) ThreadLocal<Look3dThread> look3dThreadHolder;

bool InExecutable() {
    return GetModuleState()->isLibrary == 0;
}

} // namespace

Look3dState::~Look3dState() {
    if (detach != nullptr) {
        detach(nullptr);
    }
}

Look3dThread::~Look3dThread() {
    Look3dState* state = PeekLook3dState();
    if (state != nullptr && state->unhookThread != nullptr) {
        state->unhookThread();
    }
}

Look3dState* GetLook3dState() {
    return look3dStateHolder.Get();
}

Look3dState* PeekLook3dState() {
    return static_cast<Look3dState*>(look3dStateHolder.record);
}

void InitializeLook3dState(Look3dState* state, HINSTANCE instance) {
    if (state->initialized) {
        return;
    }
    state->attach = &Look3dAttach;
    state->detach = &Look3dDetach;
    state->hookThread = &Look3dHookThreadPlain;
    state->unhookThread = &Look3dUnhookThread;
    state->refreshColors = &Look3dRefreshColors;
    state->adoptDialog = &Look3dAdoptDialog;
    state->readImeSetting = &Look3dReadImeSetting;
    state->adoptControl = &Look3dAdoptControl;
    state->adoptControlAs = &Look3dAdoptControlAs;
    if (!state->attach(instance)) {
        // The core stays attached (its count drops at process end) but is
        // never called again.
        state->attach = nullptr;
        state->detach = nullptr;
        state->hookThread = nullptr;
        state->unhookThread = nullptr;
        state->refreshColors = nullptr;
        state->adoptDialog = nullptr;
        state->readImeSetting = nullptr;
        state->adoptControl = nullptr;
        state->adoptControlAs = nullptr;
    }
    state->initialized = TRUE;
}

BOOL EnableLook3dStatic() {
    if (LOBYTE(LOWORD(GetVersion())) >= 4) {
        return TRUE;
    }
    Look3dState* state = GetLook3dState();
    HINSTANCE instance = GetModuleState()->instanceHandle;
    InitializeLook3dState(state, instance);
    if (state->hookThread == nullptr) {
        return FALSE;
    }
    return state->hookThread(instance);
}

void Look3dThreadStarted() {
    if (!InExecutable()) {
        return;
    }
    Look3dState* state = PeekLook3dState();
    if (state != nullptr && state->hookThread != nullptr) {
        state->hookThread(GetModuleState()->instanceHandle);
    }
    look3dThreadHolder.Get();
}

void Look3dColorsChanged() {
    Look3dState* state = PeekLook3dState();
    if (state != nullptr && state->refreshColors != nullptr && InExecutable()) {
        state->refreshColors();
    }
}

void Look3dSettingsChanged() {
    Look3dState* state = PeekLook3dState();
    if (state != nullptr && state->readImeSetting != nullptr && InExecutable()) {
        state->readImeSetting();
    }
}
