// Strings of the foundation library.
//
// SString_t<Ch> is a value string over std::basic_string<Ch>.  SWCharString is
// its UTF-16 form (char16_t code units, the same type as Wine's WCHAR when the
// Winelib side is built with -fno-short-wchar); every model field and every
// JSON text of the system is one.  A null character pointer is the empty text
// wherever a string is built or assigned from one.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace lumo_detail {
template <class Ch>
inline std::size_t nullSafeLength(const Ch* s)
{
    return s ? std::char_traits<Ch>::length(s) : 0;
}
}  // namespace lumo_detail

template <class Ch>
class SString_t {
public:
    using char_type = Ch;
    using std_string = std::basic_string<Ch>;

    SString_t() = default;
    SString_t(const Ch* s) : m_text(s ? std_string(s) : std_string()) {}  // NOLINT: implicit by design
    SString_t(const Ch* s, std::size_t length) : m_text(s ? std_string(s, length) : std_string()) {}
    explicit SString_t(std_string s) : m_text(std::move(s)) {}

    SString_t& operator=(const Ch* s)
    {
        if (s)
            m_text.assign(s);
        else
            m_text.clear();
        return *this;
    }

    SString_t& operator+=(const SString_t& other)
    {
        m_text += other.m_text;
        return *this;
    }
    SString_t& operator+=(const Ch* s)
    {
        if (s) m_text += s;
        return *this;
    }
    SString_t& operator+=(Ch c)
    {
        m_text += c;
        return *this;
    }

    // Null-terminated view of the text; valid while the string is unchanged.
    operator const Ch*() const { return m_text.c_str(); }  // NOLINT: the platform's string converts implicitly
    const Ch* c_str() const { return m_text.c_str(); }

    bool operator==(const Ch* s) const { return m_text.compare(s ? s : empty()) == 0; }
    bool operator!=(const Ch* s) const { return !(*this == s); }
    bool operator==(const SString_t& o) const { return m_text == o.m_text; }
    bool operator!=(const SString_t& o) const { return m_text != o.m_text; }
    bool operator<(const SString_t& o) const { return m_text < o.m_text; }

    // 0 when both texts are equal ignoring the case of ASCII letters; otherwise
    // the sign of the first differing (case-folded) code unit.
    int compareNoCase(const Ch* s) const;
    int compareNoCase(const SString_t& o) const { return compareNoCase(o.c_str()); }

    bool isEmpty() const { return m_text.empty(); }
    std::size_t length() const { return m_text.size(); }
    const std_string& str() const { return m_text; }
    std_string& str() { return m_text; }

private:
    static const Ch* empty()
    {
        static const Ch nothing[1] = {0};
        return nothing;
    }
    std_string m_text;
};

template <class Ch>
int SString_t<Ch>::compareNoCase(const Ch* s) const
{
    auto fold = [](Ch c) -> unsigned long {
        unsigned long u = static_cast<unsigned long>(c);
        return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
    };
    const Ch* other = s ? s : empty();
    std::size_t i = 0;
    for (;; ++i) {
        const bool endThis = i == m_text.size();
        const bool endOther = other[i] == 0;
        if (endThis || endOther) return endThis && endOther ? 0 : (endThis ? -1 : 1);
        const unsigned long a = fold(m_text[i]);
        const unsigned long b = fold(other[i]);
        if (a != b) return a < b ? -1 : 1;
    }
}

// The UTF-16 string of every model field and JSON text.
class SWCharString : public SString_t<char16_t> {
public:
    using SString_t<char16_t>::SString_t;
    using SString_t<char16_t>::operator=;
    SWCharString() = default;
    SWCharString(const SString_t<char16_t>& s) : SString_t<char16_t>(s) {}  // NOLINT

    // Conversions at the edges of the system (file names, trace files, tests).
    static SWCharString fromUtf8(const std::string& utf8);
    std::string toUtf8() const;
};

// Narrow string of the foundation library (UTF-8 text).
class SString : public SString_t<char> {
public:
    using SString_t<char>::SString_t;
    using SString_t<char>::operator=;
    SString() = default;
};

// The service framework's string type, built from a foundation string.
class SNexaString : public SWCharString {
public:
    SNexaString() = default;
    explicit SNexaString(const SString_t<char16_t>& s) : SWCharString(s) {}
};

// UTF-8 <-> UTF-16 conversion.  Ill-formed input is replaced by U+FFFD; no
// conversion ever reads past the end of its input.
std::string lumoUtf16ToUtf8(const std::u16string& text);
std::u16string lumoUtf8ToUtf16(const std::string& text);
