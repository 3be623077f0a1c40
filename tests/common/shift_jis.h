// Expected text of the tests in the ANSI code page the tool runs under (932).
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

// UTF-8 text of a test's source in Shift-JIS; text that has no Shift-JIS
// form fails the calling case.
inline std::string ShiftJis(const char* utf8) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (wideLength <= 0) {
        ADD_FAILURE() << "not UTF-8: " << utf8;
        return {};
    }
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), wideLength);
    BOOL unmappable = FALSE;
    const int length =
        WideCharToMultiByte(932, 0, wide.c_str(), -1, nullptr, 0, nullptr, &unmappable);
    std::string text(length, '\0');
    WideCharToMultiByte(932, 0, wide.c_str(), -1, text.data(), length, nullptr, &unmappable);
    EXPECT_FALSE(unmappable) << utf8;
    text.resize(length > 0 ? length - 1 : 0);
    return text;
}
