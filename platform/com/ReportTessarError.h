// The platform's error reporter for automation methods.
//
// ReportTessarError records error information for the calling thread (the
// object runtime's CreateErrorInfo/SetErrorInfo), so that a client reading
// GetErrorInfo, or a script reading Err.Description, sees it, and returns the
// given result code, which the reporting method returns in turn:
//
//   description  the text of the message number in the thread's current
//                resource locale, %1 .. %8 replaced by the substitution texts
//   source       the ProgID of the class (its CLSID in braces when it has
//                none); empty for GUID_NULL
//   GUID         the interface identifier (GUID_NULL stays GUID_NULL)
//
// Reporting never fails the caller: when the error object cannot be made,
// only the result code is returned.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdint>

#include "platform/foundation/SIArray.h"
#include "platform/foundation/SString.h"

HRESULT ReportTessarError(REFCLSID clsid, REFIID iid, uint32_t messageNumber, const SIArray<SWCharString>& texts,
                          HRESULT hr) noexcept;
