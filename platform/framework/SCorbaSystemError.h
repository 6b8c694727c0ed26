// A CORBA failure described in plain C++.
//
// Plain C++: the Winelib module includes this header; no ORB header lies
// behind it.  The framework raises an SCorbaSystemError wherever a CORBA
// exception would otherwise travel into code that cannot see the ORB (the
// plain commentary-service handle converts every CORBA exception that leaves
// a call into one).  MapThrowCORBASystem accepts it like the exception it
// stands for.
//
// The reason text, used in trace lines and exception texts, reads
//     <NAME> (minor 0x<8 hex digits>, <COMPLETED_YES|COMPLETED_NO|COMPLETED_MAYBE>)
// for a system exception, for example "TRANSIENT (minor 0x41540002, COMPLETED_NO)",
// and
//     <NAME> (user exception <repository id>)
// for a user exception.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/foundation/SString.h"

namespace CORBA {
class Exception;
class SystemException;
}  // namespace CORBA

class SCorbaSystemError : public std::exception {
public:
    // Numbered as CORBA numbers its completion statuses.
    enum Completion { COMPLETED_YES = 0, COMPLETED_NO = 1, COMPLETED_MAYBE = 2 };

    SCorbaSystemError() = default;
    // name: the exception's short name ("TRANSIENT"); repositoryId its id
    // ("IDL:omg.org/CORBA/TRANSIENT:1.0").
    SCorbaSystemError(std::string repositoryId, std::string name, uint32_t minor, Completion completion,
                      bool userException = false);

    // Native code only (the argument cannot be built without the ORB).
    static SCorbaSystemError fromSystemException(const CORBA::SystemException& ex);
    // A system exception or a user exception.
    static SCorbaSystemError fromException(const CORBA::Exception& ex);

    const std::string& getRepositoryId() const { return m_repositoryId; }
    const std::string& getName() const { return m_name; }
    uint32_t getMinor() const { return m_minor; }
    Completion getCompletion() const { return m_completion; }
    bool isUserException() const { return m_userException; }

    SWCharString getReasonText() const;
    const char* what() const noexcept override { return m_what.c_str(); }

    static const char* completionName(Completion completion);

private:
    std::string m_repositoryId;
    std::string m_name;
    uint32_t m_minor = 0;
    Completion m_completion = COMPLETED_NO;
    bool m_userException = false;
    std::string m_what;
};
