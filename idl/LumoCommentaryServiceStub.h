// Native only: includes the ORB's stub header; never include it from Winelib
// code.
//
// The client stub of LumoCommentaryService that the system's references
// are made of.  It sends execute as the generated stub does and differs in
// the two outcomes the remote interface fixes for its callers:
//   - a reply carrying a user exception (execute declares none) is raised as
//     CORBA::UNKNOWN with minor code 0 and COMPLETED_NO.  omniORB servants
//     turn such an exception into UNKNOWN with its minor code
//     UNKNOWN_UserException before replying, and the generated stub raises
//     that code with COMPLETED_MAYBE: both become minor 0 and COMPLETED_NO;
//   - a stub that is not bound to the ORB (made with the default constructor:
//     no object reference, no client to send through) raises
//     CORBA::NO_IMPLEMENT with minor code 0 and COMPLETED_NO without sending
//     anything (the generated stub raises INV_OBJREF).
// install() registers the factory through which the ORB makes every
// reference of the interface (narrowing, resolving, string_to_object) as such
// a stub; call it before the ORB is initialised.
#pragma once

#include "idl/LumoCommentaryService.hh"

namespace lumo_idl {

class LumoCommentaryServiceStub : public _objref_LumoCommentaryService {
public:
    LumoCommentaryServiceStub() = default;
    LumoCommentaryServiceStub(omniIOR* ior, omniIdentity* identity);

    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override;

    static void install();

protected:
    ~LumoCommentaryServiceStub() override;
};

}  // namespace lumo_idl
