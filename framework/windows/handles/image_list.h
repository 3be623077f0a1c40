// Image-list wrapper objects. A wrapper never destroys its list: whoever made
// the list keeps it, so the framework needs no common-controls import.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "framework/runtime/object.h"

class CImageList : public CObject {
    LUM_DECLARE_CREATABLE(CImageList)
public:
    CImageList() = default;
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    static CImageList* ObjectFor(HIMAGELIST handle);
    static CImageList* PermanentObjectFor(HIMAGELIST handle);

    BOOL Bind(HIMAGELIST handle);
    HIMAGELIST Unbind();

    HIMAGELIST imageListHandle = nullptr;
};

// This thread's table of these wrappers; with `create` clear an absent one stays absent.
class CHandleTable;
CHandleTable* GetImageListTable(BOOL create);
