// The framework's exception for a failure to set up a service: no Naming
// Service, no server of the kind in the cluster, no logon session, ...
//
// Plain C++: the Winelib module includes this header.
//
// It carries a message number (see lumo_messages) and the substitution texts
// of that message; what() gives the formatted message in UTF-8.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/foundation/SIArray.h"
#include "platform/foundation/SString.h"

class Nexa2Exception : public std::exception {
public:
    Nexa2Exception(uint32_t messageNumber, const SIArray<SWCharString>& substTexts);
    // Convenience: up to three texts.
    explicit Nexa2Exception(uint32_t messageNumber, const SWCharString& text1 = SWCharString(),
                            const SWCharString& text2 = SWCharString(), const SWCharString& text3 = SWCharString());

    uint32_t getMessageNumber() const { return m_messageNumber; }
    const SIArray<SWCharString>& getSubstTexts() const { return m_texts; }
    // The message text with the substitution texts filled in.
    SWCharString getText() const;
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    uint32_t m_messageNumber;
    SIArray<SWCharString> m_texts;
    std::string m_what;
};
