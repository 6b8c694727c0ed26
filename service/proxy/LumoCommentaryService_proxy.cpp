#include "service/proxy/LumoCommentaryService_proxy.h"

#include "platform/foundation/SAssert.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/STrace.h"
#include "platform/framework/NexaFrameworkException.h"
#include "platform/framework/SCorbaSystemError.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"

namespace {

const char kArea[] = "LumoCommentaryService_proxy";

void assertion(int line, const char* expression, const char* message)
{
    if (ShouldAssert()) SAssert(kArea, line, expression, message);
}

// Closes the logical request that pulse opened, on every way out of execute.
class PulseScope {
public:
    explicit PulseScope(ManagedService* service) : m_service(service) {}
    ~PulseScope()
    {
        try {
            m_service->completePulse();
        } catch (...) {
            // Closing a request cannot fail the call it belonged to.
        }
    }
    PulseScope(const PulseScope&) = delete;
    PulseScope& operator=(const PulseScope&) = delete;

private:
    ManagedService* m_service;
};

}  // namespace

LumoCommentaryServiceProxy::LumoCommentaryServiceProxy(IManagedService* managedService)
{
    // The proxy's own reference to the managed service.
    m_managedSvc = dynamic_cast<ManagedService*>(managedService);
    if (!m_managedSvc) assertion(__LINE__, "m_managedSvc != NULL", "The managed service pointer should not be null");
}

LumoCommentaryServiceProxy::~LumoCommentaryServiceProxy() = default;

void LumoCommentaryServiceProxy::addRef() { m_refCount.fetch_add(1, std::memory_order_relaxed); }

void LumoCommentaryServiceProxy::release()
{
    if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

SWCharString LumoCommentaryServiceProxy::getLastFailureText() const
{
    std::lock_guard<std::mutex> lock(m_lastFailureMutex);
    return m_lastFailureText;
}

void LumoCommentaryServiceProxy::setLastFailureText(const SWCharString& text)
{
    std::lock_guard<std::mutex> lock(m_lastFailureMutex);
    m_lastFailureText = text;
}

::CORBA::WChar* LumoCommentaryServiceProxy::execute(const ::CORBA::WChar* request)
{
    ManagedService* const service = m_managedSvc.get();
    if (!service) {
        // Design decision: a proxy built without a managed service has no
        // server to reach; every call ends as for a dead service (the session
        // lock scope reports the null pointer).
        ManagedServiceLock scope(nullptr);
        const SWCharString failure = getLastFailureText();
        throw NexaFrameworkException(16, "Failed to do the reconnection as service as marked as dead",
                                     lumo_messages::kReconnectFailed, failure.c_str(), u"");
    }

    int attempts = 0;
    // Try again when the service is neither dead nor suspended and the bound
    // is not reached; the counter moves with every comparison against it.
    auto tryAgain = [&]() -> bool {
        if (service->isDead() || service->isSuspended()) return false;
        return attempts++ < ManagedService::INVOKE_LOOP_INSANITY.load(std::memory_order_relaxed);
    };

    service->pulse();
    PulseScope pulseScope(service);
    for (;;) {
        {
            ManagedServiceLock scope(service);
            try {
                if (service->checkState()) {
                    if (ManagedService::TESTS_ENABLED.load(std::memory_order_relaxed))
                        service->triggerTestExceptions();
                    CORBA::Object* object = service->getStub();
                    _objref_LumoCommentaryService* stub =
                        object ? dynamic_cast<_objref_LumoCommentaryService*>(object) : nullptr;
                    if (stub) return stub->execute(request);
                    // Design decision: a null stub is never called through;
                    // the attempt counts as failed and the reference is
                    // renewed, as after a recoverable failure.
                    assertion(__LINE__, "stub != NULL", "the stub object shouldn't be null");
                    service->markFailedState();
                }
            } catch (const CORBA::SystemException& ex) {
                const SWCharString reason = SCorbaSystemError::fromSystemException(ex).getReasonText();
                if (!service->isRecoverable(ex)) {
                    S_TRACE_ERROR(kArea, 2, u"Irrecovrable exception:%1", reason);
                    const SWCharString serviceText = service->getDescription();
                    throw NexaFrameworkException(17, "CORBA system exception that is irrecovrable",
                                                 lumo_messages::kIrrecoverable, ex, serviceText.c_str(), nullptr,
                                                 nullptr, NEXA_FRAMEWORK_EXCEPTION_FILE,
                                                 NEXA_FRAMEWORK_EXCEPTION_LINE);
                }
                S_TRACE_ERROR(kArea, 2, u"recoverable exception:%1", reason);
                service->markFailedState();
            }
        }

        bool again = false;
        try {
            service->reValidate();
            again = tryAgain();
        } catch (const NexaFrameworkException& ex) {
            if (tryAgain()) continue;
            const SWCharString failure = ex.toString();
            setLastFailureText(failure);
            const SWCharString serviceText = service->getDescription();
            throw NexaFrameworkException(16, "Failed to reconnect to another server bacause of nexaframework exception",
                                         lumo_messages::kReconnectFailed, failure.c_str(), serviceText.c_str());
        } catch (const CORBA::Exception& ex) {
            if (tryAgain()) continue;
            const SWCharString serviceText = service->getDescription();
            NexaFrameworkException failure(16, "Failed to reconnect to another server because of corba system exception",
                                           lumo_messages::kReconnectFailed, ex, serviceText.c_str(), nullptr, nullptr,
                                           NEXA_FRAMEWORK_EXCEPTION_FILE, NEXA_FRAMEWORK_EXCEPTION_LINE);
            setLastFailureText(failure.getSubstParam(0));
            throw failure;
        } catch (...) {
            if (tryAgain()) continue;
            assertion(__LINE__, "false", "unknown exception caught");
            const SWCharString failure = SResString(lumo_messages::kUnknownException, '%');
            setLastFailureText(failure);
            const SWCharString serviceText = service->getDescription();
            throw NexaFrameworkException(16, "Failed to reconnect to another server bacause of unknown exception",
                                         lumo_messages::kReconnectFailed, failure.c_str(), serviceText.c_str());
        }
        if (again) continue;

        const SWCharString serviceText = service->getDescription();
        if (service->isDead() || service->isSuspended()) {
            const SWCharString failure = getLastFailureText();
            throw NexaFrameworkException(16, "Failed to do the reconnection as service as marked as dead",
                                         lumo_messages::kReconnectFailed, failure.c_str(), serviceText.c_str());
        }
        throw NexaFrameworkException(15, "Manually retry needed", lumo_messages::kManualRetryNeeded,
                                     serviceText.c_str());
    }
}

namespace lumo_proxy {

CORBA::Object* LumoCommentaryService_Helper::narrowStub(CORBA::Object* object)
{
    if (!object || CORBA::is_nil(object)) return nullptr;
    // Already of the type: known from the reference itself, no remote call.
    if (void* local = object->_ptrToObjRef(::LumoCommentaryService::_PD_repoId)) {
        LumoCommentaryService_ptr stub = static_cast<LumoCommentaryService_ptr>(local);
        return ::LumoCommentaryService::_duplicate(stub);
    }
    if (!object->_is_a(::LumoCommentaryService::_PD_repoId)) return nullptr;
    LumoCommentaryService_ptr stub = ::LumoCommentaryService::_unchecked_narrow(object);
    if (CORBA::is_nil(stub)) return nullptr;
    return stub;
}

void LumoCommentaryService_Helper::releaseStub(CORBA::Object*& stub)
{
    if (stub) {
        if (_objref_LumoCommentaryService* typed = dynamic_cast<_objref_LumoCommentaryService*>(stub))
            CORBA::release(typed);
        else
            CORBA::release(stub);
    }
    stub = nullptr;
}

LumoCommentaryService_Helper::~LumoCommentaryService_Helper() = default;

}  // namespace lumo_proxy

IManagedService::IStubHelper* LumoCommentaryService_HelperFactory::createHelper()
{
    return new lumo_proxy::LumoCommentaryService_Helper;
}
