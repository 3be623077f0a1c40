#include "framework/runtime/exceptions.h"

#include "framework/runtime/framework_ids.h"
#include "framework/runtime/message_box.h"
#include "framework/runtime/string_resource.h"

LUM_IMPLEMENT_CLASS(CException, CObject)
LUM_IMPLEMENT_CLASS(CMemoryException, CException)
LUM_IMPLEMENT_CLASS(CResourceException, CException)
LUM_IMPLEMENT_CLASS(CNotSupportedException, CException)
LUM_IMPLEMENT_CLASS(CUserException, CException)

namespace {

// Constructed before the application object, so that they outlive it.
__attribute__((init_priority(220))) CResourceException resourceException(FALSE);
__attribute__((init_priority(220))) CUserException userException(FALSE);
__attribute__((init_priority(220))) CMemoryException memoryException(FALSE);
__attribute__((init_priority(220))) CNotSupportedException notSupportedException(FALSE);

} // namespace

CMemoryException* StaticMemoryException() {
    return &memoryException;
}
CResourceException* StaticResourceException() {
    return &resourceException;
}
CNotSupportedException* StaticNotSupportedException() {
    return &notSupportedException;
}
CUserException* StaticUserException() {
    return &userException;
}

void RaiseMemoryException() {
    throw &memoryException;
}
void RaiseResourceException() {
    throw &resourceException;
}
void RaiseNotSupportedException() {
    throw &notSupportedException;
}
void RaiseUserException() {
    throw &userException;
}

void CException::Discard() {
    if (autoDelete > 0) {
        delete this;
    }
}

BOOL CException::FormatErrorText(char* buffer, UINT maxChars, UINT* helpContext) {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (maxChars != 0 && buffer != nullptr) {
        buffer[0] = '\0';
    }
    return FALSE;
}

int CException::ShowErrorBox(UINT type, UINT promptId) {
    char text[512];
    UINT helpContext = 0;
    if (FormatErrorText(text, sizeof text, &helpContext)) {
        return MessageBoxText(text, type, helpContext);
    }
    return MessageBoxById(promptId != 0 ? promptId : IDS_NO_ERROR_MESSAGE, type, helpContext);
}

BOOL CSimpleException::FormatErrorText(char* buffer, UINT maxChars, UINT* helpContext) {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (!initialized) {
        initialized = TRUE;
        loaded = LoadStringResource(resourceId, message, sizeof message) != 0;
    }
    if (buffer != nullptr && maxChars != 0) {
        if (loaded) {
            lstrcpynA(buffer, message, static_cast<int>(maxChars));
        } else {
            buffer[0] = '\0';
        }
    }
    return loaded;
}
