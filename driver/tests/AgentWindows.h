#pragma once
// Stands in for the running taskbar agent: holds its mutex and puts a window
// titled "Norvale TaskBar" under a shell taskbar window, recording what the
// driver posts to it. Pump this thread's messages to receive them.
#include <windows.h>

#include <vector>

namespace drvtest {

class AgentWindows {
public:
    AgentWindows()
    {
        mutex_ = CreateMutexW(nullptr, FALSE, L"Norvale Zentrika AGENT");
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HHTaskBar";
        RegisterClassW(&wc);
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"ZenDrvTestAgent";
        RegisterClassW(&wc);
        bar_ = CreateWindowW(L"HHTaskBar", L"", WS_POPUP, 0, 0, 240, 26, nullptr, nullptr, wc.hInstance, nullptr);
        child_ = CreateWindowW(L"ZenDrvTestAgent", L"Norvale TaskBar", WS_CHILD, 208, 0, 32, 25, bar_, nullptr,
                               wc.hInstance, nullptr);
        SetWindowLongPtrW(child_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~AgentWindows()
    {
        if (bar_)
            DestroyWindow(bar_);
        UnregisterClassW(L"ZenDrvTestAgent", GetModuleHandleW(nullptr));
        UnregisterClassW(L"HHTaskBar", GetModuleHandleW(nullptr));
        if (mutex_)
            CloseHandle(mutex_);
    }
    AgentWindows(const AgentWindows&) = delete;
    AgentWindows& operator=(const AgentWindows&) = delete;

    bool Ready() const { return mutex_ && bar_ && child_ && FindWindowW(L"HHTaskBar", nullptr) == bar_; }

    std::vector<int> states;  // WM_AGENT_STATE wParam, in order
    unsigned long long written = 0;
    unsigned long long read = 0;
    int trafficPosts = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<AgentWindows*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == WM_USER + 1) {
            self->states.push_back(static_cast<int>(wp));
            return 0;
        }
        if (self && msg == WM_USER + 2) {
            self->written += wp;
            self->read += static_cast<unsigned long long>(lp);
            ++self->trafficPosts;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    HANDLE mutex_ = nullptr;
    HWND bar_ = nullptr;
    HWND child_ = nullptr;
};

}  // namespace drvtest
