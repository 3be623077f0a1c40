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
using GdiObjects =
    WrapperTable<CGdiObject, &CGdiObject::objectHandle, &ModuleThreadState::gdiObjectTable>;
} // namespace

CHandleTable* GetGdiObjectTable(BOOL create) {
    return GdiObjects::Table(create);
}

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
