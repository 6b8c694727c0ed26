// UTF-16 text <-> CORBA wide strings.  omniORB carries a wide string as
// UTF-16 code units, one per CORBA::WChar (surrogates stay separate units), so
// the conversion is unit by unit in both directions and never goes through a
// wchar_t/UTF-32 conversion.
#pragma once

#include <omniORB4/CORBA.h>

#include <string>

namespace lumo_server {

// False when an element is not a UTF-16 code unit (above 0xFFFF); out is
// then empty.  A null pointer is the empty text.
bool corbaWideToUtf16(const CORBA::WChar* text, std::u16string& out);

// A new wide string owned by the caller (CORBA::wstring_free).
CORBA::WChar* utf16ToCorbaWide(const std::u16string& text);

}  // namespace lumo_server
