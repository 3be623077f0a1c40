#include "framework/windows/handles/gdi_object.h"

#include "framework/windows/handles/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CGdiObject, CObject)
LUM_IMPLEMENT_CLASS(CPen, CGdiObject)
LUM_IMPLEMENT_CLASS(CBrush, CGdiObject)
LUM_IMPLEMENT_CLASS(CFont, CGdiObject)
LUM_IMPLEMENT_CLASS(CBitmap, CGdiObject)
LUM_IMPLEMENT_CLASS(CPalette, CGdiObject)
LUM_IMPLEMENT_CLASS(CRgn, CGdiObject)

namespace {

HANDLE* GdiObjectHandleField(CObject* o) {
    return reinterpret_cast<HANDLE*>(&static_cast<CGdiObject*>(o)->objectHandle);
}

} // namespace

CHandleTable* GetGdiObjectTable(BOOL create) {
    return GetHandleTable(GetModuleThreadState()->gdiObjectTable, create,
                          LUM_RUNTIME_CLASS(CGdiObject), &GdiObjectHandleField, 1);
}

namespace {
using GdiObjects = WrapperTable<CGdiObject, &CGdiObject::objectHandle, &GetGdiObjectTable>;
} // namespace

CGdiObject::~CGdiObject() {
    DeleteHandle();
}

CGdiObject* CGdiObject::ObjectFor(HGDIOBJ handle) {
    return GdiObjects::ObjectFor(handle);
}

CGdiObject* CGdiObject::PermanentObjectFor(HGDIOBJ handle) {
    return GdiObjects::PermanentObjectFor(handle);
}

HGDIOBJ CGdiObject::Unbind() {
    return GdiObjects::Unbind(*this);
}

BOOL CGdiObject::DeleteHandle() {
    if (objectHandle == nullptr) {
        return FALSE;
    }
    return DeleteObject(Unbind());
}
