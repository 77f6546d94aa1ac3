// Reads of the plugin's and the host's INI files through the platform's private-profile functions.
// An empty file name stands for "no usable file" (a path that did not fit its buffer): every read
// then yields its default, as for a missing file.
#pragma once

#include <map>
#include <string>

namespace config {

// Capacity of a single value read, terminator included.
constexpr unsigned kIniValueCapacity = 260;
// Capacity of a whole section read, terminator included.
constexpr unsigned kIniSectionCapacity = 32767;

std::wstring IniReadString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue, unsigned capacity = kIniValueCapacity);
int IniReadInt(const wchar_t* file, const wchar_t* section, const wchar_t* key, int defaultValue);
// The section's lines as the platform returns them: "key=value" texts, each terminated, closed by an
// empty text. The result keeps the inner terminators.
std::wstring IniReadSection(const wchar_t* file, const wchar_t* section);

// How many times the platform's private-profile functions were called through the reads above since
// the module was loaded: a measure of how often the configuration files are read.
unsigned long long IniPlatformReads();

// While one lives, a string or section read a second time with the same arguments is answered from
// the first read instead of the file. For the span of one computation that does not wait for the
// user: anything that does (a message box) calls IniForgetReads. Scopes nest; the innermost answers.
class IniReadMemo {
  public:
    IniReadMemo();
    ~IniReadMemo();
    IniReadMemo(const IniReadMemo&) = delete;
    IniReadMemo& operator=(const IniReadMemo&) = delete;

  private:
    friend const std::wstring* IniMemoFind(const std::wstring& key);
    friend void IniMemoStore(const std::wstring& key, const std::wstring& value);
    friend void IniForgetReads();
    IniReadMemo* outer_;
    std::map<std::wstring, std::wstring> values_;
};

// Every live memo forgets what it holds: the files may have been edited meanwhile.
void IniForgetReads();

} // namespace config
