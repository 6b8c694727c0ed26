// A BSTR laid out over memory its caller owns, as SysAllocStringLen lays one
// out: the text's length in bytes in the 4 bytes before the text, the text, a
// NUL.  It serves as the [in] BSTR argument of a method of the module's own
// objects, which read it (SysStringLen included) and never free, change or
// keep it.
//
//   ReplyText reply = handle.executeInPlace(request);   // 2 free units before text()
//   response->Init(ReadOnlyBstr(reply.text(), reply.length()));
//
// Design decision: the service object hands each reply to Init this way.  A
// reply of some hundred kilobytes copied into a BSTR of the process heap
// cost more than reading its comments: Wine maps a heap block that large
// afresh on every allocation, and each of its pages faults in again.
//
// Never pass such a BSTR to SysFreeString or SysReAllocString, nor as an
// out- or in-out parameter.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// text: length units and a NUL after them, with two units before text that
// are the caller's to overwrite.  A text longer than a BSTR can hold gets the
// largest length a BSTR can record.
inline BSTR ReadOnlyBstr(char16_t* text, std::size_t length) noexcept
{
    const uint32_t bytes = length > UINT32_MAX / sizeof(char16_t) ? UINT32_MAX - 1
                                                                   : static_cast<uint32_t>(length * sizeof(char16_t));
    std::memcpy(reinterpret_cast<unsigned char*>(text) - sizeof bytes, &bytes, sizeof bytes);
    return text;
}
