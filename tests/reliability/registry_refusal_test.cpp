// The registry refuses the store's calls (open for writing, create, set
// value) alone and together, for one of the two settings, while the real
// settings dialog stores both on OK: the right one of the two warnings or
// none, the other setting still written, and every key handle closed.
#include "reliability/reliability_support.h"

#include <cstdio>
#include <map>
#include <string>

#include "app/config_dialog.h"
#include "app/settings_store.h"

namespace {

using rel::ShiftJis;

enum Refusal : unsigned { kOpen = 1, kCreate = 2, kSet = 4 };

// Key handles the store got for the device key and below, and their closing.
struct Ledger {
    std::map<HKEY, std::string> open;
    int opened = 0;
    int closed = 0;
    int unknownCloses = 0;
    std::string target;
    unsigned refuse = 0;
    rel::ImportPatch* openPatch = nullptr;
    rel::ImportPatch* createPatch = nullptr;
    rel::ImportPatch* closePatch = nullptr;
};
Ledger ledger;

bool IsDevicePath(HKEY root, LPCSTR path) {
    return root == HKEY_CLASSES_ROOT && path != nullptr && _strnicmp(path, "Bt848", 5) == 0;
}

LONG WINAPI WatchedOpen(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key) {
    if ((ledger.refuse & kOpen) != 0 && (access & KEY_SET_VALUE) != 0 && IsDevicePath(root, path) &&
        ledger.target == path) {
        return ERROR_ACCESS_DENIED;
    }
    const LONG status =
        ledger.openPatch->Original<decltype(&RegOpenKeyExA)>()(root, path, options, access, key);
    if (status == ERROR_SUCCESS && IsDevicePath(root, path)) {
        ledger.open[*key] = path;
        ++ledger.opened;
    }
    return status;
}

LONG WINAPI WatchedCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options,
                          REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                          LPDWORD disposition) {
    if ((ledger.refuse & kCreate) != 0 && IsDevicePath(root, path) && ledger.target == path) {
        return ERROR_ACCESS_DENIED;
    }
    const LONG status = ledger.createPatch->Original<decltype(&RegCreateKeyExA)>()(
        root, path, reserved, keyClass, options, access, security, key, disposition);
    if (status == ERROR_SUCCESS && IsDevicePath(root, path)) {
        ledger.open[*key] = path;
        ++ledger.opened;
    }
    return status;
}

LONG WINAPI WatchedClose(HKEY key) {
    auto found = ledger.open.find(key);
    if (found != ledger.open.end()) {
        ledger.open.erase(found);
        ++ledger.closed;
    } else {
        ++ledger.unknownCloses;
    }
    return ledger.closePatch->Original<decltype(&RegCloseKey)>()(key);
}

LONG WINAPI WatchedSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD size) {
    auto found = ledger.open.find(key);
    if ((ledger.refuse & kSet) != 0 && found != ledger.open.end() &&
        found->second == ledger.target) {
        return ERROR_ACCESS_DENIED;
    }
    return RegSetValueExA(key, name, reserved, type, data, size);
}

std::string DecimalText(int value) {
    const std::string text = std::to_string(value);
    return std::string(text.c_str(), text.size() + 1);
}

struct Case {
    unsigned refuse;
    const char* target;
    bool keysExist;
};

class RegistryRefusalTest : public rel::DeviceKeyTest {};

TEST_F(RegistryRefusalTest, EachCallAloneAndTogetherForEitherSetting) {
    const std::string cannotCreate = ShiftJis("指定されたレジストリキーを作成できませんでした。");
    const std::string cannotWrite =
        ShiftJis("指定されたレジストリキーに値を書き込むことができませんでした。");
    const std::string caption = ShiftJis("Lumora 環境設定");
    const char* const names[] = {"PreviewOnly", "Force Primary"};
    const int oldValues[] = {1, 0};
    const int newValues[] = {0, 1};

    int runs = 0;
    for (unsigned refuse = 0; refuse < 8; ++refuse) {
        for (int target = 0; target < 2; ++target) {
            for (bool keysExist : {true, false}) {
                char label[96];
                snprintf(label, sizeof label, "refused:%s%s%s target %s keys %s",
                         (refuse & kOpen) ? " open" : "", (refuse & kCreate) ? " create" : "",
                         (refuse & kSet) ? " set" : "", names[target],
                         keysExist ? "exist" : "missing");
                SCOPED_TRACE(label);
                ++runs;
                rel::DeleteDeviceKey();
                if (keysExist) {
                    rel::StoreSetting(names[0], oldValues[0]);
                    rel::StoreSetting(names[1], oldValues[1]);
                }
                ledger = Ledger();
                ledger.target = std::string("Bt848\\") + names[target];
                ledger.refuse = refuse;

                rel::DrivenRun driven;
                {
                    rel::ImportPatch openPatch("advapi32.dll", "RegOpenKeyExA",
                                               reinterpret_cast<void*>(&WatchedOpen));
                    rel::ImportPatch createPatch("advapi32.dll", "RegCreateKeyExA",
                                                 reinterpret_cast<void*>(&WatchedCreate));
                    rel::ImportPatch closePatch("advapi32.dll", "RegCloseKey",
                                                reinterpret_cast<void*>(&WatchedClose));
                    ASSERT_TRUE(openPatch.Applied() && createPatch.Applied() &&
                                closePatch.Applied());
                    ledger.openPatch = &openPatch;
                    ledger.createPatch = &createPatch;
                    ledger.closePatch = &closePatch;
                    const auto saved = settings_store_internal::setValue;
                    settings_store_internal::setValue = WatchedSet;
                    bool chosen = false;
                    CConfigDlg dialog;
                    driven =
                        rel::RunDriven([&] { return dialog.RunModal(); },
                                       [&](rel::Ticker&) {
                                           HWND shown = rel::FindThreadDialog(IDC_NO_SURFACE);
                                           if (shown == nullptr || chosen) {
                                               return;
                                           }
                                           chosen = true;
                                           rel::ChooseInDialog(shown, newValues[0], newValues[1]);
                                           rel::PostClick(shown, IDOK);
                                       });
                    settings_store_internal::setValue = saved;
                }
                ASSERT_FALSE(driven.timedOut);
                EXPECT_EQ(IDOK, driven.result);

                // The documented order: open for writing, else create; then set.
                const bool openFails = (refuse & kOpen) != 0 || !keysExist;
                const bool createFails = openFails && (refuse & kCreate) != 0;
                const bool setFails = !createFails && (refuse & kSet) != 0;
                std::vector<std::string> expectedTexts;
                if (createFails) {
                    expectedTexts.push_back(cannotCreate);
                } else if (setFails) {
                    expectedTexts.push_back(cannotWrite);
                }
                std::vector<std::string> texts;
                for (const rel::SeenBox& box : driven.boxes) {
                    texts.push_back(rel::Ansi(box.text));
                    EXPECT_EQ(caption, rel::Ansi(box.caption));
                    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), rel::IconStyleOf(box.icon));
                }
                EXPECT_EQ(expectedTexts, texts);

                const rel::RawValue refused = rel::LoadRaw(names[target]);
                if (createFails || setFails) {
                    if (keysExist) {
                        EXPECT_EQ(DecimalText(oldValues[target]), refused.bytes);
                    } else {
                        EXPECT_NE(ERROR_SUCCESS, refused.status);
                    }
                } else {
                    EXPECT_EQ(DecimalText(newValues[target]), refused.bytes);
                }
                const rel::RawValue other = rel::LoadRaw(names[1 - target]);
                EXPECT_EQ(DecimalText(newValues[1 - target]), other.bytes)
                    << "the other setting was not written";
                EXPECT_TRUE(ledger.open.empty()) << ledger.open.size() << " key handles left open";
                EXPECT_EQ(ledger.opened, ledger.closed);
                EXPECT_EQ(0, ledger.unknownCloses);
            }
        }
    }
    std::printf("registry refusals: %d dialog runs (8 refusal sets x 2 settings x 2 key states)\n",
                runs);
}

} // namespace
