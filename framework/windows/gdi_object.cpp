#include "framework/windows/gdi_object.h"

#include "framework/windows/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CGdiObject, CObject)
LUM_IMPLEMENT_CLASS(CPen, CGdiObject)
LUM_IMPLEMENT_CLASS(CBrush, CGdiObject)
LUM_IMPLEMENT_CLASS(CFont, CGdiObject)
LUM_IMPLEMENT_CLASS(CBitmap, CGdiObject)
LUM_IMPLEMENT_CLASS(CPalette, CGdiObject)
LUM_IMPLEMENT_CLASS(CRgn, CGdiObject)

CGdiObject::~CGdiObject() {
    DeleteHandle();
}

CGdiObject* CGdiObject::ObjectFor(HGDIOBJ handle) {
    return ObjectIn<CGdiObject>(&GetGdiObjectTable, handle);
}

CGdiObject* CGdiObject::PermanentObjectFor(HGDIOBJ handle) {
    return PermanentObjectIn<CGdiObject>(&GetGdiObjectTable, handle);
}

HGDIOBJ CGdiObject::Unbind() {
    HGDIOBJ handle = objectHandle;
    UnbindIn(&GetGdiObjectTable, handle);
    objectHandle = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteHandle() {
    if (objectHandle == nullptr) {
        return FALSE;
    }
    return DeleteObject(Unbind());
}
