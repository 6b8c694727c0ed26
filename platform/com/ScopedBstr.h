// An owning BSTR, shaped like std::unique_ptr: it frees its string when it
// goes out of scope.
//
//   ScopedBstr text;
//   HRESULT hr = comment->get_Text(text.Receive());   // takes the new BSTR
//   SWCharString copy(text.Get());
//
// Release() gives the string to the caller; Reset() frees it.  Not copyable.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <type_traits>
#include <utility>

// The seam between the trees: Winelib units are built with -fno-short-wchar,
// so Wine's WCHAR is the char16_t of the native libraries' UTF-16 text and
// wchar_t keeps the 32 bits those libraries were built with.
static_assert(std::is_same<WCHAR, char16_t>::value, "Winelib units must see WCHAR as char16_t");
static_assert(sizeof(wchar_t) == 4, "Winelib units must keep the 32-bit wchar_t of the native libraries");

class ScopedBstr {
public:
    ScopedBstr() noexcept = default;
    // Allocates a copy of the text (up to its first NUL); null stays null.
    explicit ScopedBstr(const OLECHAR* text) noexcept : m_bstr(text ? SysAllocString(text) : nullptr) {}
    ~ScopedBstr() { Reset(); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    ScopedBstr(ScopedBstr&& other) noexcept : m_bstr(other.Release()) {}
    ScopedBstr& operator=(ScopedBstr&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    // Frees the held string and adopts the given one.
    void Reset(BSTR owned = nullptr) noexcept
    {
        BSTR old = std::exchange(m_bstr, owned);
        if (old) SysFreeString(old);
    }
    // Gives the held string to the caller; the wrapper becomes empty.
    BSTR Release() noexcept { return std::exchange(m_bstr, nullptr); }
    // Frees the held string and returns the address for an out-parameter.
    BSTR* Receive() noexcept
    {
        Reset();
        return &m_bstr;
    }

    // Does not hand over ownership.
    BSTR Get() const noexcept { return m_bstr; }
    UINT Length() const noexcept { return m_bstr ? SysStringLen(m_bstr) : 0; }

private:
    BSTR m_bstr = nullptr;
};
