// GDI-object wrappers: a bound CGdiObject owns its pen, brush, font, bitmap,
// palette or region; temporaries from the table never delete theirs.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CGdiObject : public CObject {
    LUM_DECLARE_CREATABLE(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    static CGdiObject* ObjectFor(HGDIOBJ handle);
    static CGdiObject* PermanentObjectFor(HGDIOBJ handle);

    HGDIOBJ Unbind();
    BOOL DeleteHandle();

    HGDIOBJ objectHandle = nullptr;
};

// Kinds that exist only as class records.
class CPen : public CGdiObject {
    LUM_DECLARE_CLASS(CPen)
};

class CBrush : public CGdiObject {
    LUM_DECLARE_CLASS(CBrush)
};

class CFont : public CGdiObject {
    LUM_DECLARE_CLASS(CFont)
};

class CBitmap : public CGdiObject {
    LUM_DECLARE_CLASS(CBitmap)
};

class CPalette : public CGdiObject {
    LUM_DECLARE_CLASS(CPalette)
};

class CRgn : public CGdiObject {
    LUM_DECLARE_CLASS(CRgn)
};

// This thread's table of these wrappers; with `create` clear an absent one stays absent.
class CHandleTable;
CHandleTable* GetGdiObjectTable(BOOL create);
