#include "framework/runtime/string_resource.h"

#include "framework/runtime/state.h"

int LoadStringResource(UINT id, char* buffer, int bufferSize) {
    int n = LoadStringA(GetModuleState()->resourceHandle, id, buffer, bufferSize);
    if (n == 0 && buffer != nullptr && bufferSize > 0) {
        buffer[0] = '\0';
    }
    return n;
}
