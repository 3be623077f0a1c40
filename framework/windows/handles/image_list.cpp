#include "framework/windows/handles/image_list.h"

#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CImageList, CObject)

namespace {

HANDLE* ImageListHandleField(CObject* o) {
    return reinterpret_cast<HANDLE*>(&static_cast<CImageList*>(o)->imageListHandle);
}

} // namespace

// With its wrapper: a program that never touches an image list links
// neither this table's maker nor the wrapper class.
CHandleTable* GetImageListTable(BOOL create) {
    return GetHandleTable(GetModuleThreadState()->imageListTable, create,
                          LUM_RUNTIME_CLASS(CImageList), &ImageListHandleField, 1);
}

namespace {
using ImageLists = WrapperTable<CImageList, &CImageList::imageListHandle, &GetImageListTable>;
} // namespace

CImageList::~CImageList() {
    Unbind();
}

CImageList* CImageList::ObjectFor(HIMAGELIST handle) {
    return ImageLists::ObjectFor(handle);
}

CImageList* CImageList::PermanentObjectFor(HIMAGELIST handle) {
    return ImageLists::PermanentObjectFor(handle);
}

BOOL CImageList::Bind(HIMAGELIST handle) {
    return imageListHandle == nullptr && ImageLists::Bind(*this, handle);
}

HIMAGELIST CImageList::Unbind() {
    return ImageLists::Unbind(*this);
}
