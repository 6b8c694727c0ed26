// The failure script of ManagedService::triggerTestExceptions (used only
// while ManagedService::TESTS_ENABLED is true).
//
// Design decision: the syntax.  Steps separated by commas, each
//     <kind>[:<completion>][*<count>]
// kind        none (no failure) or a CORBA system exception: TRANSIENT,
//             COMM_FAILURE, OBJECT_NOT_EXIST, TIMEOUT, NO_RESPONSE, UNKNOWN,
//             BAD_PARAM, MARSHAL, NO_IMPLEMENT, INV_OBJREF, INTERNAL,
//             NO_RESOURCES, NO_PERMISSION, BAD_OPERATION, IMP_LIMIT
// completion  NO (default), YES or MAYBE
// count       how many calls the step lasts (default 1)
// Blanks around the parts are ignored.  Every call of trigger() consumes one
// call of the current step (raising its exception with minor code 0); when
// the script is used up, trigger() raises nothing.
//
// Plain C++ header (the exceptions are raised by the native implementation).  For example
// "TRANSIENT*2, none, UNKNOWN:MAYBE" fails the first two calls, lets the
// third through and fails the fourth.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class TestExceptionScript {
public:
    // Replaces the script; on a syntax error the script becomes empty, error
    // (when given) receives a description, and false is returned.
    bool load(const std::string& script, std::string* error = nullptr);
    // Raises the next scripted failure, if any.
    void trigger();
    // Number of calls left in the script.
    int remaining() const;

    // The process's script, loaded from LUMO_TEST_EXCEPTIONS on first use.
    static TestExceptionScript& process();

private:
    struct Step {
        std::string kind;  // empty: none
        int completion = 1;
        int count = 1;
    };
    mutable std::mutex m_mutex;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    int m_usedOfNext = 0;
};
