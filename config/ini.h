// Reads of the plugin's and the host's INI files through the platform's private-profile functions.
// An empty file name stands for "no usable file" (a path that did not fit its buffer): every read
// then yields its default, as for a missing file.
#pragma once

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
// How many times a file's time stamp and size were asked for, to know whether earlier reads of it
// still hold.
unsigned long long IniStampChecks();

// What was read from a file is kept and answers the same read again while the file's last-write time
// and size stay as they were, provided it was last written more than a few seconds before it was
// read (an edit within the file system's time resolution could otherwise keep both). Each read
// outside a scope asks the file system for the stamp.
//
// While an IniReadMemo lives, each file's stamp is asked for once, and a read made a second time is
// answered from the first even when the file was written just now: for the span of one computation
// that does not wait for the user. Anything that does (a message box) calls IniForgetReads. Scopes
// nest; inner ones share what the outermost one has seen.
class IniReadMemo {
  public:
    IniReadMemo();
    ~IniReadMemo();
    IniReadMemo(const IniReadMemo&) = delete;
    IniReadMemo& operator=(const IniReadMemo&) = delete;
};

// Everything read so far is forgotten: the files may have been edited meanwhile.
void IniForgetReads();

} // namespace config
