// Hostile data in a setting's registry value: every value type, lengths
// around the read buffer's size and far beyond, with and without terminator.
// The expectation comes from the store's documented rules, applied to the
// bytes the registry hands out; reads past the data meet marker digits.
#include "reliability/reliability_support.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "app/settings_store.h"

namespace {

using rel::ShiftJis;

constexpr int kDefault = 4242;
// The read buffer's documented size: longer data reads as the default.
constexpr DWORD kReadBuffer = 260;
constexpr char kMarker = '8';

// The documented conversion, written apart from the store's: white space,
// an optional sign, digits up to the first non-digit, saturated at 32 bits.
int ConvertByRules(const std::string& bytes) {
    const std::string text(bytes.c_str());
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::string digits;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (!digits.empty() || text[at] != '0') {
            digits += text[at];
        }
    }
    if (digits.size() > 10) {
        return negative ? INT_MIN : INT_MAX;
    }
    const long long magnitude = digits.empty() ? 0 : std::stoll(digits);
    const long long value = negative ? -magnitude : magnitude;
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

int ExpectedRead(const rel::RawValue& held) {
    // No data, or a lone terminator, is a default value never set (Windows 9x).
    if (held.status != ERROR_SUCCESS || held.bytes.size() > kReadBuffer || held.bytes.empty() ||
        held.bytes == std::string(1, '\0')) {
        return kDefault;
    }
    return ConvertByRules(held.bytes);
}

// Content of exactly `length` bytes; a terminated one ends in NUL.
struct Pattern {
    const char* name;
    std::string (*make)(size_t length);
};

std::string Fill(const std::string& head, char filler, const std::string& tail, size_t length) {
    std::string s = head;
    while (s.size() + tail.size() < length) {
        s += filler;
    }
    s += tail;
    s.resize(length, filler);
    return s;
}

// Double-byte text fills odd lengths with a lone lead byte at the end.
std::string FillDoubleByte(const std::string& head, size_t length) {
    static const std::string kanji = ShiftJis("番地");
    std::string s = head;
    while (s.size() < length) {
        s += kanji;
    }
    s.resize(length);
    return s;
}

const Pattern kPatterns[] = {
    {"ZerosThenSeven", [](size_t n) { return Fill("", '0', "7", n); }},
    {"SpacesMinusZerosThree", [](size_t n) { return Fill(" \t-", '0', "3", n); }},
    {"PlusDigitsThenLetters", [](size_t n) { return Fill("+42", 'x', "", n); }},
    {"Nines", [](size_t n) { return Fill("", '9', "", n); }},
    {"MinusNines", [](size_t n) { return Fill("-", '9', "", n); }},
    {"Beyond32BitsThenSpaces", [](size_t n) { return Fill("4294967303", ' ', "", n); }},
    {"SpacesOnly", [](size_t n) { return Fill("", ' ', "", n); }},
    {"DigitsThenDoubleByte", [](size_t n) { return FillDoubleByte("12", n); }},
    {"DoubleByteThenDigits",
     [](size_t n) {
         return FillDoubleByte("", n > 2 ? n - 2 : 0) + std::string("12").substr(0, n > 2 ? 2 : n);
     }},
    {"FullWidthDigits", [](size_t n) { return FillDoubleByte(ShiftJis("１２"), n); }},
};

struct TypeInfo {
    DWORD type;
    const char* name;
};
const TypeInfo kTypes[] = {
    {REG_NONE, "NONE"},         {REG_SZ, "SZ"},         {REG_EXPAND_SZ, "EXPAND_SZ"},
    {REG_MULTI_SZ, "MULTI_SZ"}, {REG_BINARY, "BINARY"}, {REG_DWORD, "DWORD"},
    {REG_QWORD, "QWORD"},
};
const size_t kLengths[] = {0, 1, 259, 260, 261, 4096, 1024 * 1024};

// What the store's query asked for, and the buffer it offered.
struct QueryWatch {
    int calls = 0;
    DWORD offered = 0;
    BYTE* buffer = nullptr;
    rel::ImportPatch* patch = nullptr;
};
QueryWatch queryWatch;

// Behaves as the registry may: whatever the buffer held beyond the data
// returned is left as it was (here: marker digits), and a buffer too small
// for the data holds a part of it.
LONG WINAPI MarkingQuery(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size) {
    ++queryWatch.calls;
    queryWatch.buffer = data;
    queryWatch.offered = size != nullptr ? *size : 0;
    const DWORD offered = queryWatch.offered;
    if (data != nullptr) {
        memset(data, kMarker, offered);
    }
    const auto real = queryWatch.patch->Original<decltype(&RegQueryValueExA)>();
    const LONG status = real(key, name, reserved, type, data, size);
    if (data != nullptr && status == ERROR_SUCCESS && *size < offered) {
        // A terminator the registry may have added is no part of the data.
        memset(data + *size, kMarker, offered - *size);
    } else if (data != nullptr && status == ERROR_MORE_DATA) {
        memset(data, kMarker, offered);
    }
    return status;
}

[[gnu::noinline]] void LitterStackWithMarkers() {
    volatile char area[4096];
    for (volatile char& c : area) {
        c = kMarker;
    }
}

// Text placed at the very end of readable memory, followed by a page that
// cannot be read: a conversion that reads past the terminator faults.
class GuardedText {
public:
    GuardedText() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page = info.dwPageSize;
        base = static_cast<char*>(
            VirtualAlloc(nullptr, page * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base + page, page, PAGE_NOACCESS, &old);
    }
    ~GuardedText() { VirtualFree(base, 0, MEM_RELEASE); }
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    const char* Place(const std::string& text) {
        char* at = base + page - (text.size() + 1);
        memcpy(at, text.c_str(), text.size() + 1);
        return at;
    }
    bool Holds(const void* address) const {
        auto* p = static_cast<const char*>(address);
        return p >= base + page && p < base + 2 * page;
    }

    char* base;
    DWORD page;
};

GuardedText* guarded;
int guardFaults;

LONG CALLBACK CountGuardFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (guarded != nullptr && record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
        record->NumberParameters >= 2 &&
        guarded->Holds(reinterpret_cast<void*>(record->ExceptionInformation[1]))) {
        ++guardFaults;
        // The next page reads as a terminator, so the conversion can end.
        DWORD old;
        VirtualProtect(guarded->base + guarded->page, guarded->page, PAGE_READWRITE, &old);
        memset(guarded->base + guarded->page, 0, guarded->page);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class HostileRegistryTest : public rel::DeviceKeyTest {};

TEST_F(HostileRegistryTest, EveryTypeLengthAndTextReadsByTheRules) {
    rel::ImportPatch patch("advapi32.dll", "RegQueryValueExA",
                           reinterpret_cast<void*>(&MarkingQuery));
    ASSERT_TRUE(patch.Applied()) << "the store's query is not imported by name";
    queryWatch.patch = &patch;
    GuardedText guard;
    guarded = &guard;
    guardFaults = 0;
    PVOID handler = AddVectoredExceptionHandler(1, CountGuardFault);

    int cases = 0;
    int refusedByRegistry = 0;
    int readAsDefault = 0;
    for (const TypeInfo& type : kTypes) {
        for (size_t length : kLengths) {
            for (const Pattern& pattern : kPatterns) {
                // Long data is long data: a few texts cover it.
                if (length > 261 && pattern.make != kPatterns[0].make &&
                    pattern.make != kPatterns[3].make && pattern.make != kPatterns[7].make) {
                    continue;
                }
                for (bool terminated : {false, true}) {
                    if (terminated && length == 0) {
                        continue;
                    }
                    std::string bytes = pattern.make(length);
                    if (terminated) {
                        bytes.back() = '\0';
                    }
                    char label[160];
                    snprintf(label, sizeof label, "%s %s length %u %s", type.name, pattern.name,
                             static_cast<unsigned>(length),
                             terminated ? "terminated" : "unterminated");
                    SCOPED_TRACE(label);
                    ++cases;
                    const LONG stored = rel::StoreRaw("PreviewOnly", type.type, bytes);
                    if (stored != ERROR_SUCCESS) {
                        ++refusedByRegistry;
                        rel::DeleteDeviceKey();
                    }
                    const rel::RawValue held = rel::LoadRaw("PreviewOnly");
                    if (stored == ERROR_SUCCESS) {
                        ASSERT_EQ(ERROR_SUCCESS, held.status);
                        ASSERT_EQ(type.type, held.type);
                    }
                    const int expected = ExpectedRead(held);
                    readAsDefault += expected == kDefault;

                    queryWatch = {0, 0, nullptr, &patch};
                    LitterStackWithMarkers();
                    EXPECT_EQ(expected, ReadSetting("PreviewOnly", kDefault));
                    if (held.status == ERROR_SUCCESS) {
                        EXPECT_EQ(1, queryWatch.calls);
                        EXPECT_LE(queryWatch.offered, kReadBuffer)
                            << "the query may fill more than the documented buffer";
                    }
                    // The conversion alone, on text that ends at a page end.
                    if (held.status == ERROR_SUCCESS && held.bytes.size() <= kReadBuffer) {
                        const int faults = guardFaults;
                        const char* text = guard.Place(std::string(held.bytes.c_str()));
                        EXPECT_EQ(ConvertByRules(held.bytes), ParseSettingText(text));
                        EXPECT_EQ(faults, guardFaults) << "the conversion read past the text";
                        if (faults != guardFaults) {
                            DWORD old;
                            VirtualProtect(guard.base + guard.page, guard.page, PAGE_NOACCESS,
                                           &old);
                        }
                    }
                }
            }
        }
    }
    // A value that is missing, and a setting key that is missing.
    ASSERT_EQ(ERROR_SUCCESS, rel::StoreRaw("PreviewOnly", REG_SZ, std::string("5", 2)));
    {
        ScopedKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "Bt848\\PreviewOnly", 0,
                                               KEY_SET_VALUE, &key.key));
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key.key, nullptr));
    }
    EXPECT_EQ(kDefault, ReadSetting("PreviewOnly", kDefault));
    EXPECT_EQ(kDefault, ReadSetting("Force Primary", kDefault));
    cases += 2;

    RemoveVectoredExceptionHandler(handler);
    guarded = nullptr;
    std::printf("hostile registry matrix: %d cases (%d types x %d lengths x texts x "
                "terminator), %d refused by the registry, %d read as the default\n",
                cases, static_cast<int>(std::size(kTypes)), static_cast<int>(std::size(kLengths)),
                refusedByRegistry, readAsDefault);
}

} // namespace
