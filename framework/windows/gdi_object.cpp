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
    return static_cast<CGdiObject*>(GetGdiObjectTable(TRUE)->ObjectFor(handle));
}

CGdiObject* CGdiObject::PermanentObjectFor(HGDIOBJ handle) {
    CHandleTable* table = GetGdiObjectTable(FALSE);
    return table != nullptr ? static_cast<CGdiObject*>(table->FindPermanent(handle)) : nullptr;
}

HGDIOBJ CGdiObject::Unbind() {
    HGDIOBJ handle = objectHandle;
    if (handle != nullptr) {
        if (CHandleTable* table = GetGdiObjectTable(FALSE)) {
            table->UnbindPermanent(handle);
        }
    }
    objectHandle = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteHandle() {
    if (objectHandle == nullptr) {
        return FALSE;
    }
    return DeleteObject(Unbind());
}
