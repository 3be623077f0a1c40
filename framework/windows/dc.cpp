#include "framework/windows/dc.h"

#include "framework/windows/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CDC, CObject)

CDC* CDC::ObjectFor(HDC handle) {
    return static_cast<CDC*>(GetDcTable(TRUE)->ObjectFor(handle));
}
