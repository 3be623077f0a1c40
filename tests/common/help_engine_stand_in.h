// Stands in for the system help engine: the system's help call looks for a
// window of the engine's class and hands it each request as WM_COPYDATA.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

struct HelpRequest {
    WORD command;
    DWORD data;
    std::string file;
};

class HelpEngine {
public:
    explicit HelpEngine(BOOL answer) : answer(answer) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &HelpEngine::Procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MS_WINHELP";
        RegisterClassA(&wc);
        window = CreateWindowA("MS_WINHELP", "help engine", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HelpEngine() { DestroyWindow(window); }
    HelpEngine(const HelpEngine&) = delete;
    HelpEngine& operator=(const HelpEngine&) = delete;

    // The request's header: size, command, data, reserved, file name offset.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<HelpEngine*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_COPYDATA || self == nullptr) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const BYTE* p = static_cast<const BYTE*>(data->lpData);
        HelpRequest request = {};
        WORD fileOffset = 0;
        if (data->cbData >= 16) {
            std::memcpy(&request.command, p + 2, 2);
            std::memcpy(&request.data, p + 4, 4);
            std::memcpy(&fileOffset, p + 12, 2);
        }
        if (fileOffset != 0 && fileOffset < data->cbData) {
            request.file.assign(
                reinterpret_cast<const char*>(p + fileOffset),
                strnlen(reinterpret_cast<const char*>(p + fileOffset), data->cbData - fileOffset));
        }
        self->requests.push_back(request);
        return self->answer;
    }

    BOOL answer;
    HWND window = nullptr;
    std::vector<HelpRequest> requests;
};
