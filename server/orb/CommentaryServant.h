// The servant of LumoCommentaryService: the ORB-facing shell around the
// request processor.  It converts the request from CORBA wide characters,
// takes the call's FT context from the interceptor, lets the processor
// answer, logs the call and converts the answer back.  Two test aids:
//   userException  every call raises ImplServ::OSCAFactory::connection_failure
//                  (execute declares no exception, so the caller sees UNKNOWN);
//   delayMs        after the call has been processed and logged, the answer
//                  waits this long (cut short when the server shuts down);
//   replyFile      every call is answered with the text this file holds at
//                  that moment, without executing anything (clients test
//                  replies the server never writes).
// Design decision: the delay comes after the work, so that a client that gives
// up and retries elsewhere meets a request that has already run (and whose
// reply the other server finds in the reply table).
#pragma once

#include <string>

#include "idl/LumoCommentaryService.hh"
#include "server/core/RequestLog.h"
#include "server/core/RequestProcessor.h"
#include "server/orb/ShutdownLatch.h"

namespace lumo_server {

struct FaultSettings {
    bool userException = false;
    int delayMs = 0;
    std::string replyFile;
};

class CommentaryServant : public POA_LumoCommentaryService {
public:
    // processor, log (may be null) and latch must outlive the servant.
    CommentaryServant(RequestProcessor& processor, RequestLog* log, FaultSettings faults, ShutdownLatch& latch);

    CORBA::WChar* execute(const CORBA::WChar* request) override;

private:
    RequestProcessor& m_processor;
    RequestLog* m_log;
    FaultSettings m_faults;
    ShutdownLatch& m_latch;
};

}  // namespace lumo_server
