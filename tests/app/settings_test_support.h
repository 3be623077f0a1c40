// Helpers for the settings-store tests: the real HKEY_CLASSES_ROOT\Bt848 key of
// the test prefix, the process's open key handles, and message boxes shown by
// a call running on a thread of its own.
#pragma once

#include <windows.h>

#include "app/settings_store.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/device_key.h"
#include "common/message_box_reading.h"
#include "common/shift_jis.h"

// Stands a replacement in for the registry's value-writing call while alive.
class StandInSetValue {
public:
    explicit StandInSetValue(settings_store_internal::SetValueCall call)
        : saved(settings_store_internal::setValue) {
        settings_store_internal::setValue = call;
    }
    ~StandInSetValue() { settings_store_internal::setValue = saved; }
    StandInSetValue(const StandInSetValue&) = delete;
    StandInSetValue& operator=(const StandInSetValue&) = delete;

private:
    settings_store_internal::SetValueCall saved;
};

// Handles this process holds on Bt848 or any key below it.
int OpenDeviceKeyHandles();

using lumtest::SeenBox;

struct WatchedCall {
    int result = 0;
    std::vector<SeenBox> boxes;
};

// Runs call, closes with OK every message box it shows on this thread, and
// reports what each box said.
WatchedCall RunClosingBoxes(const std::function<int()>& call);
