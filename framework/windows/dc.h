// Device-context wrapper objects: an output handle and an attribute handle.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CDC : public CObject {
    LUM_DECLARE_CREATABLE(CDC)
public:
    CDC() = default;
    ~CDC() override = default;

    static CDC* ObjectFor(HDC handle);

    HDC outputHandle = nullptr;
    HDC attributeHandle = nullptr;
};
