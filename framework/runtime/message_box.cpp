#include "framework/runtime/message_box.h"

#include "framework/runtime/state.h"
#include "framework/runtime/string_resource.h"

int MessageBoxText(const char* text, UINT type, UINT helpId) {
    auto handler = GetModuleState()->messageBoxHandler;
    if (handler == nullptr) {
        return MessageBoxA(nullptr, text, nullptr, type);
    }
    return handler(text, type, helpId);
}

int MessageBoxById(UINT stringId, UINT type, UINT helpId) {
    char text[512];
    LoadStringResource(stringId, text, sizeof text);
    return MessageBoxText(text, type, helpId == static_cast<UINT>(-1) ? stringId : helpId);
}
