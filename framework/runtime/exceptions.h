// The framework's exception family: static objects thrown by pointer.
#pragma once

#include "framework/runtime/object.h"

class CException : public CObject {
    LUM_DECLARE_CLASS(CException)
public:
    explicit CException(BOOL autoDelete = TRUE) : autoDelete(autoDelete) {}

    virtual BOOL FormatErrorText(char* buffer, UINT maxChars, UINT* helpContext);
    virtual int ShowErrorBox(UINT type, UINT promptId);

    // Deletes heap exceptions; the static ones survive every catch site.
    void Discard();

    BOOL autoDelete;
};

class CSimpleException : public CException {
public:
    CSimpleException(BOOL autoDelete, UINT resourceId)
        : CException(autoDelete), resourceId(resourceId) {}

    BOOL FormatErrorText(char* buffer, UINT maxChars, UINT* helpContext) override;

    BOOL initialized = FALSE;
    BOOL loaded = FALSE;
    char message[128] = {};
    UINT resourceId;
};

class CMemoryException : public CSimpleException {
    LUM_DECLARE_CLASS(CMemoryException)
public:
    explicit CMemoryException(BOOL autoDelete = TRUE) : CSimpleException(autoDelete, 0xF023) {}
};

class CResourceException : public CSimpleException {
    LUM_DECLARE_CLASS(CResourceException)
public:
    explicit CResourceException(BOOL autoDelete = TRUE) : CSimpleException(autoDelete, 0xF022) {}
};

class CNotSupportedException : public CSimpleException {
    LUM_DECLARE_CLASS(CNotSupportedException)
public:
    explicit CNotSupportedException(BOOL autoDelete = TRUE)
        : CSimpleException(autoDelete, 0xF021) {}
};

class CUserException : public CSimpleException {
    LUM_DECLARE_CLASS(CUserException)
public:
    explicit CUserException(BOOL autoDelete = TRUE) : CSimpleException(autoDelete, 0xF024) {}
};

[[noreturn]] void RaiseMemoryException();
[[noreturn]] void RaiseResourceException();
[[noreturn]] void RaiseNotSupportedException();
[[noreturn]] void RaiseUserException();

// The four static instances.
CMemoryException* StaticMemoryException();
CResourceException* StaticResourceException();
CNotSupportedException* StaticNotSupportedException();
CUserException* StaticUserException();
