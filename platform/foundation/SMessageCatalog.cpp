#include "SMessageCatalog.h"

#include "SResString.h"

namespace {

struct Entry {
    uint32_t number;
    const char16_t* text;
};

using namespace lumo_messages;

// Substitution texts: %1, %2 ... as the reporting code passes them.
constexpr Entry kCatalog[] = {
    {kInvalidPointer, u"Invalid pointer: a required output parameter was not supplied."},
    {kNotInitialised, u"The response holds no reply yet: call Init with the reply text first."},
    {kIndexOutOfRange, u"The index is outside the list."},
    {kNullArgument, u"A required object argument was not supplied."},
    {kUnknownException, u"An unknown exception occurred."},
    {kManualRetryNeeded, u"The commentary service (%1) did not answer after all retries; please try again."},
    {kReconnectFailed, u"Could not reconnect to another commentary server (%2): %1"},
    {kIrrecoverable, u"The call to the commentary service (%2) failed and cannot be retried safely: %1"},
    {kServiceConnectFailed, u"Could not connect to the commentary service."},
    {kNamingServiceUnavailable, u"The naming service (%1) cannot be reached: %2"},
    {kNoServerInCluster, u"No server of the service %1 is registered in the cluster %2 (server filter: %3)."},
    {kNoServerSession, u"No user is logged on in this process."},
    {kInvalidServiceRequest, u"The service framework cannot create %1: %2"},
    {kLogonFailed, u"The logon of %1 failed: %2"},
    // Numbers derived from the statuses the system reports itself.
    {derivedFromStatus(0x80049000u), u"The service framework failed to complete the request."},
    {derivedFromStatus(0x80004001u), u"The host session does not implement this operation."},
    {derivedFromStatus(0x80004003u), u"The host session was not given to the commentary service."},
    {derivedFromStatus(0x80004005u), u"The host session failed to answer."},
    {derivedFromStatus(0x8007000Eu), u"Out of memory."},
    {derivedFromStatus(0x80070057u), u"The host session received an invalid argument."},
};

}  // namespace

const char16_t* SMessageCatalogLookup(uint32_t messageNumber)
{
    for (const Entry& e : kCatalog)
        if (e.number == messageNumber) return e.text;
    return nullptr;
}
