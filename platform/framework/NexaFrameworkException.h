// The framework's exception for a failed remote call.
//
// Plain C++: the Winelib module includes this header (it catches the
// exception); the constructor that takes a CORBA exception is for native code.
//
// Error codes in use: 15 the attempt bound was reached; 16 the managed
// service is dead or suspended, or reconnection failed; 17 an irrecoverable
// CORBA system exception.  The message is a fixed narrow text; the message
// number selects the client-visible text, whose markers %1 .. %8 are replaced
// by the substitution texts (SResString::Format).
//
// Substitution texts are numbered from 0 (getSubstParam(0) fills %1).  A null
// text given to a constructor is kept as the empty text; getSubstParamCount()
// counts the texts up to the last position given (null ones included),
// getSubstParam answers the empty text beyond it.  The constructor that takes
// a CORBA exception keeps the three given texts at positions 0 to 2 and the
// exception itself beside them (getSystemError, and toString's "CORBA" part).
//
// toString() reads, with the bracketed parts only when present:
//     NexaFrameworkException <code> (message <number>): <message>
//         [; CORBA <reason text>][; texts: [<text 1>] [<text 2>] ...][; at <file>:<line>]
// (on one line).
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/foundation/SString.h"
#include "platform/framework/SCorbaSystemError.h"

// The source location that the framework reports for the exceptions it
// raises on a CORBA system exception.
#define NEXA_FRAMEWORK_EXCEPTION_FILE "NexaFrameworkException"
#define NEXA_FRAMEWORK_EXCEPTION_LINE 60

class NexaFrameworkException : public std::exception {
public:
    static const int MAX_SUBST_PARAMS = 8;

    NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                           const char16_t* subst1 = nullptr, const char16_t* subst2 = nullptr,
                           const char16_t* subst3 = nullptr, const char16_t* subst4 = nullptr,
                           const char16_t* subst5 = nullptr, const char16_t* subst6 = nullptr,
                           const char16_t* subst7 = nullptr, const char16_t* subst8 = nullptr);

    // Native code: records the CORBA exception (system or user exception).
    NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                           const CORBA::SystemException& ex, const char16_t* subst1, const char16_t* subst2,
                           const char16_t* subst3, const char* sourceFile, int sourceLine);
    NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber, const CORBA::Exception& ex,
                           const char16_t* subst1, const char16_t* subst2, const char16_t* subst3,
                           const char* sourceFile, int sourceLine);
    // The same from the plain description of a CORBA exception.
    NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                           const SCorbaSystemError& error, const char16_t* subst1, const char16_t* subst2,
                           const char16_t* subst3, const char* sourceFile, int sourceLine);

    NexaFrameworkException(const NexaFrameworkException&) = default;
    NexaFrameworkException& operator=(const NexaFrameworkException&) = default;
    ~NexaFrameworkException() override;

    int getErrorCode() const { return m_errorCode; }
    const std::string& getMessage() const { return m_message; }
    uint32_t getMessageNumber() const { return m_messageNumber; }
    int getSubstParamCount() const { return m_substCount; }
    SWCharString getSubstParam(int index) const;
    bool hasSystemError() const { return m_hasSystemError; }
    const SCorbaSystemError& getSystemError() const { return m_systemError; }
    const std::string& getSourceFile() const { return m_sourceFile; }
    int getSourceLine() const { return m_sourceLine; }

    SWCharString toString() const;
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    void setSubst(int index, const char16_t* text);
    void finish();

    int m_errorCode;
    std::string m_message;
    uint32_t m_messageNumber;
    SWCharString m_subst[MAX_SUBST_PARAMS];
    int m_substCount = 0;
    bool m_hasSystemError = false;
    SCorbaSystemError m_systemError;
    std::string m_sourceFile;
    int m_sourceLine = 0;
    std::string m_what;
};
