// Localised resource texts by message number.
//
// The catalog is the system's own (SMessageCatalog.cpp).  Texts may hold the
// markers %1 .. %8 for substitution texts; SResString only loads, it does not
// substitute (see SResString::Format).  A number without a text loads as
// "Unknown message <number>".  The locale selects nothing yet: every text is
// English, whatever locale is asked for.
#pragma once

#include <cstdint>

#include "SIArray.h"
#include "SString.h"

class SResString {
public:
    SResString(uint32_t messageNumber, uint32_t locale);

    operator SWCharString() const { return m_text; }  // NOLINT: converts like the platform's
    const SWCharString& text() const { return m_text; }
    bool found() const { return m_found; }

    // The message text with %1 .. %8 replaced by the substitution texts (a
    // marker without a text becomes empty).
    static SWCharString Format(uint32_t messageNumber, uint32_t locale, const SIArray<SWCharString>& texts);

private:
    SWCharString m_text;
    bool m_found = false;
};

// The message numbers the system itself uses.
namespace lumo_messages {
constexpr uint32_t kInvalidPointer = 42505;
// Failures an automation object chooses itself, without a frame check.
constexpr uint32_t kNotInitialised = 42506;
constexpr uint32_t kIndexOutOfRange = 42507;
constexpr uint32_t kNullArgument = 42508;
constexpr uint32_t kUnknownException = 50213;
constexpr uint32_t kManualRetryNeeded = 61310;
constexpr uint32_t kReconnectFailed = 61311;
constexpr uint32_t kIrrecoverable = 61312;
constexpr uint32_t kServiceConnectFailed = 62623;
// Service framework set-up failures (Nexa2Exception).
constexpr uint32_t kNamingServiceUnavailable = 62630;
constexpr uint32_t kNoServerInCluster = 62631;
constexpr uint32_t kNoServerSession = 62632;
constexpr uint32_t kInvalidServiceRequest = 62633;
constexpr uint32_t kLogonFailed = 62634;
// Message number derived from a status: (status + 0x7FFC7AA9) modulo 2^32.
constexpr uint32_t derivedFromStatus(uint32_t status) { return status + 0x7FFC7AA9u; }
}  // namespace lumo_messages
