#include "framework/runtime/message_box.h"

#include "framework/runtime/shared_string.h"
#include "framework/runtime/state.h"

int MessageBoxText(const char* text, UINT type, UINT helpId) {
    auto handler = GetModuleState()->messageBoxHandler;
    if (handler == nullptr) {
        return MessageBoxA(nullptr, text, nullptr, type);
    }
    return handler(text, type, helpId);
}

int MessageBoxById(UINT stringId, UINT type, UINT helpId) {
    CSharedString text;
    text.LoadFromResource(stringId);
    return MessageBoxText(text, type, helpId == static_cast<UINT>(-1) ? stringId : helpId);
}
