#include "server/orb/CommentaryServant.h"

#include <fstream>
#include <sstream>

#include "platform/foundation/SString.h"
#include "platform/foundation/STrace.h"
#include "server/core/ResponseWriter.h"
#include "server/orb/FtServerInterceptor.h"
#include "server/orb/WideText.h"

namespace lumo_server {
namespace {

const char kArea[] = "CommentaryServant";

// The whole text of a file (UTF-8).  Design decision: the file is read anew
// at every call, so that a test can change the answer between two calls
// without restarting the server; a file that cannot be read gives the empty
// text.
std::u16string cannedReply(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (in) bytes << in.rdbuf();
    return lumoUtf8ToUtf16(bytes.str());
}

}  // namespace

CommentaryServant::CommentaryServant(RequestProcessor& processor, RequestLog* log, FaultSettings faults,
                                     ShutdownLatch& latch)
    : m_processor(processor), m_log(log), m_faults(faults), m_latch(latch)
{
}

CORBA::WChar* CommentaryServant::execute(const CORBA::WChar* request)
{
    const std::optional<ExactlyOnceKey> key = FtServerInterceptor::takeCurrent();
    RequestLogEntry entry;
    if (key) entry.retentionId = key->key.retentionId;

    if (m_faults.userException) {
        if (m_log) m_log->write(entry);
        CORBA::WString_var reason = utf16ToCorbaWide(u"test fault: connection failure");
        throw ImplServ::OSCAFactory::connection_failure(1, Nexa::sev_error, reason.in());
    }
    if (!m_faults.replyFile.empty()) {
        if (m_log) m_log->write(entry);
        return utf16ToCorbaWide(cannedReply(m_faults.replyFile));
    }

    ProcessOutcome outcome;
    std::u16string text;
    try {
        if (corbaWideToUtf16(request, text)) {
            outcome = m_processor.process(text, key);
        } else {
            outcome = m_processor.refuse(ServerError::make(ErrorKind::IllFormedText, "request"));
        }
    } catch (const std::exception& e) {
        // The processor answers every failure it knows; this is the last net
        // (out of memory and the like).
        S_TRACE_ERROR(kArea, 0, "execute failed: %1", e.what());
        const ServerError error = ServerError::make(ErrorKind::StorageFailure);
        outcome = ProcessOutcome();
        outcome.response = ResponseWriter::error(error);
        outcome.responseType = kErrorResponse;
        outcome.statusCode = error.statusCode;
    }

    if (m_log) {
        entry.requestType = outcome.requestType;
        entry.responseType = outcome.responseType;
        entry.statusCode = outcome.statusCode;
        entry.replayed = outcome.replayed;
        m_log->write(entry);
    }
    if (m_faults.delayMs > 0) m_latch.waitFor(std::chrono::milliseconds(m_faults.delayMs));
    return utf16ToCorbaWide(outcome.response);
}

}  // namespace lumo_server
