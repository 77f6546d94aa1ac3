// What the plugin knows of the host's windows: class names and the message numbers it posts or sends.
#pragma once

#include <windows.h>

constexpr wchar_t TCMainWindowClasName[] = L"TTOTAL_CMD";
constexpr wchar_t TCFindFileClasName[] = L"TFindFile";
constexpr wchar_t TCSyncDirsClasName[] = L"TCmpForm";
constexpr wchar_t TCListerClasName[] = L"TLister";
constexpr wchar_t kOverWriteFormClassName[] = L"TOverWriteForm";
constexpr wchar_t kOldComboBoxClassName[] = L"TComboBox";

// Classes of the plugin's own windows.
constexpr wchar_t kPluginWindowClassName[] = L"Tolvanier";
constexpr wchar_t kSendCopyDataClassName[] = L"SendCopyDataWnd";

// The host's command message and the command that switches its quick-view panel off.
constexpr UINT kHostCommandMessage = WM_USER + 51; // 1075
constexpr WPARAM kHostCommandQuickViewOff = 304;
// The key with which a Lister moves on to its next viewer plugin.
constexpr WPARAM kListerNextPluginChar = L'4';

// Copy-data kinds of the directory exchange with the host's main window.
constexpr ULONG_PTR kCopyDataRequest = 0x5747; // 22343
constexpr ULONG_PTR kCopyDataReply = 0x5752;   // 22354
