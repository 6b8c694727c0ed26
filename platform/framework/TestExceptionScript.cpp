#include "platform/framework/TestExceptionScript.h"

#include <omniORB4/CORBA.h>

#include "platform/foundation/STrace.h"
#include "platform/framework/FrameworkSettings.h"

namespace {

const char* const kKinds[] = {"TRANSIENT",    "COMM_FAILURE", "OBJECT_NOT_EXIST", "TIMEOUT",    "NO_RESPONSE",
                              "UNKNOWN",      "BAD_PARAM",    "MARSHAL",          "NO_IMPLEMENT", "INV_OBJREF",
                              "INTERNAL",     "NO_RESOURCES", "NO_PERMISSION",    "BAD_OPERATION", "IMP_LIMIT"};

[[noreturn]] void raise(const std::string& kind, CORBA::CompletionStatus c)
{
#define LUMO_RAISE_IF(NAME) \
    if (kind == #NAME) throw CORBA::NAME(0, c);
    LUMO_RAISE_IF(TRANSIENT)
    LUMO_RAISE_IF(COMM_FAILURE)
    LUMO_RAISE_IF(OBJECT_NOT_EXIST)
    LUMO_RAISE_IF(TIMEOUT)
    LUMO_RAISE_IF(NO_RESPONSE)
    LUMO_RAISE_IF(UNKNOWN)
    LUMO_RAISE_IF(BAD_PARAM)
    LUMO_RAISE_IF(MARSHAL)
    LUMO_RAISE_IF(NO_IMPLEMENT)
    LUMO_RAISE_IF(INV_OBJREF)
    LUMO_RAISE_IF(INTERNAL)
    LUMO_RAISE_IF(NO_RESOURCES)
    LUMO_RAISE_IF(NO_PERMISSION)
    LUMO_RAISE_IF(BAD_OPERATION)
#undef LUMO_RAISE_IF
    throw CORBA::IMP_LIMIT(0, c);
}

std::string trim(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

}  // namespace

bool TestExceptionScript::load(const std::string& script, std::string* error)
{
    std::vector<Step> steps;
    std::string problem;
    std::size_t start = 0;
    const std::string text = trim(script);
    while (!text.empty() && problem.empty()) {
        const std::size_t comma = text.find(',', start);
        const std::string stepText = trim(text.substr(start, comma == std::string::npos ? comma : comma - start));
        Step step;
        std::string rest = stepText;
        const std::size_t star = rest.find('*');
        if (star != std::string::npos) {
            const std::string count = trim(rest.substr(star + 1));
            rest = trim(rest.substr(0, star));
            if (count.empty() || count.size() > 6 || count.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(count) == 0)
                problem = "bad count in step '" + stepText + "'";
            else
                step.count = std::stoi(count);
        }
        const std::size_t colon = rest.find(':');
        if (colon != std::string::npos) {
            const std::string completion = trim(rest.substr(colon + 1));
            rest = trim(rest.substr(0, colon));
            if (completion == "YES")
                step.completion = CORBA::COMPLETED_YES;
            else if (completion == "NO")
                step.completion = CORBA::COMPLETED_NO;
            else if (completion == "MAYBE")
                step.completion = CORBA::COMPLETED_MAYBE;
            else if (problem.empty())
                problem = "bad completion status in step '" + stepText + "'";
        }
        if (rest != "none") {
            bool known = false;
            for (const char* kind : kKinds) known = known || rest == kind;
            if (known)
                step.kind = rest;
            else if (problem.empty())
                problem = "unknown exception in step '" + stepText + "'";
        }
        steps.push_back(step);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_next = 0;
    m_usedOfNext = 0;
    if (!problem.empty()) {
        m_steps.clear();
        if (error) *error = problem;
        return false;
    }
    m_steps = steps;
    return true;
}

void TestExceptionScript::trigger()
{
    Step step;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_next >= m_steps.size()) return;
        step = m_steps[m_next];
        if (++m_usedOfNext >= step.count) {
            ++m_next;
            m_usedOfNext = 0;
        }
    }
    if (!step.kind.empty()) raise(step.kind, static_cast<CORBA::CompletionStatus>(step.completion));
}

int TestExceptionScript::remaining() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int calls = 0;
    for (std::size_t i = m_next; i < m_steps.size(); ++i) calls += m_steps[i].count;
    return calls - m_usedOfNext;
}

TestExceptionScript& TestExceptionScript::process()
{
    static TestExceptionScript* script = [] {
        auto* s = new TestExceptionScript;
        std::string error;
        const std::string text = FrameworkSettings::current().testExceptions;
        if (!s->load(text, &error))
            S_TRACE_ERROR("ManagedService", 0, "ManagedService: LUMO_TEST_EXCEPTIONS ignored: %1", error.c_str());
        return s;
    }();
    return *script;
}
