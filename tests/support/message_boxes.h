// Catches the modal message boxes shown on this thread while it lives: a thread timer, served by the
// box's own message loop, reads each box's caption, text and owner and presses OK.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "hoststub/desktop.h"

namespace testing_support {

using hoststub::CaughtBox;
using hoststub::DismissOwnMessageBoxes;
using hoststub::MessageBoxDriver;
using hoststub::PressOk;

class MessageBoxCatcher {
  public:
    MessageBoxCatcher() {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 30, &MessageBoxCatcher::OnTimer);
    }
    ~MessageBoxCatcher() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<CaughtBox>& Boxes() const { return boxes_; }
    // The texts of all boxes, in order.
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const auto& box : boxes_)
            texts.push_back(box.text);
        return texts;
    }

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (!active_) return;
        for (CaughtBox& box : DismissOwnMessageBoxes())
            active_->boxes_.push_back(std::move(box));
    }

    static inline MessageBoxCatcher* active_ = nullptr;
    UINT_PTR timer_ = 0;
    std::vector<CaughtBox> boxes_;
};

// Presses OK in every message box of this thread as it is activated, and counts them: for runs of many
// boxes, where a timer's period per box would dominate.
class MessageBoxDismisser {
  public:
    MessageBoxDismisser() {
        count_ = 0;
        hook_ = SetWindowsHookExW(WH_CBT, &MessageBoxDismisser::OnCbt, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxDismisser() { UnhookWindowsHookEx(hook_); }
    MessageBoxDismisser(const MessageBoxDismisser&) = delete;
    MessageBoxDismisser& operator=(const MessageBoxDismisser&) = delete;
    size_t Count() const { return count_; }
    // The text of the last box, to tell why something unexpected was said.
    static std::wstring LastText() { return lastText_; }

  private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            wchar_t name[16] = L"";
            GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16);
            if (std::wstring(name) == L"#32770") {
                ++count_;
                lastText_ = hoststub::ReadMessageBox(reinterpret_cast<HWND>(wParam)).text;
                PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline size_t count_ = 0;
    static inline std::wstring lastText_;
    HHOOK hook_ = nullptr;
};

} // namespace testing_support
