#include "framework/windows/handles/image_list.h"

#include "framework/runtime/state.h"
#include "framework/windows/handles/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CImageList, CObject)

namespace {
using ImageLists =
    WrapperTable<CImageList, &CImageList::imageListHandle, &ModuleThreadState::imageListTable>;
} // namespace

// With its wrapper: a program that never touches an image list links
// neither this table's maker nor the wrapper class.
CHandleTable* GetImageListTable(BOOL create) {
    return ImageLists::Table(create);
}

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
