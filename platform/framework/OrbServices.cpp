#include "platform/framework/OrbServices.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "idl/LumoCommentaryServiceStub.h"
#include "idl/MessageLimit.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/JTCAdoptCurrentThread.h"
#include "platform/framework/TlsContext.h"

namespace {

const char kPlainTransports[] = "* unix,tcp";

struct OrbState {
    std::mutex mutex;
    CORBA::ORB_ptr orb = CORBA::ORB::_nil();
    bool shutDown = false;
    CosNaming::NamingContext_ptr root = CosNaming::NamingContext::_nil();
    std::string rootNaming;  // the LUMO_NAMING text the root was made from
    std::string namingText;
};

// Set once the ORB has been initialised (and cleared at shutdown).
std::atomic<bool> g_running{false};

// Never destroyed: it must outlive every static destructor that might still
// release a reference (see ServiceMgrFactory.h on the ORB's lifetime).
OrbState& state()
{
    static OrbState* s = new OrbState;
    return *s;
}

CORBA::ORB_ptr initialiseLocked(OrbState& s)
{
    if (s.shutDown) throw CORBA::BAD_INV_ORDER(0, CORBA::COMPLETED_NO);
    if (!CORBA::is_nil(s.orb)) return s.orb;
    const FrameworkSettings settings = FrameworkSettings::current();
    // Design decision: one attempt is limited per calling thread (the call's
    // deadline, CallDeadline.h), never per object reference, which the ORB
    // would let win over the thread's limit; calls outside a logical call
    // (connecting, naming look-ups) get the per-attempt limit.  The message
    // limit follows the request limit (idl/MessageLimit.h).
    // LUMO_ORB_OPTIONS come last and may override any of these.
    std::vector<std::string> args{"lumo",
                                  "-ORBsupportPerThreadTimeOut", "1",
                                  "-ORBclientCallTimeOutPeriod", std::to_string(settings.callTimeoutMs),
                                  "-ORBclientConnectTimeOutPeriod", std::to_string(settings.connectTimeoutMs),
                                  "-ORBgiopMaxMsgSize",
                                  std::to_string(lumo_idl::orbMessageLimit(settings.maxRequestChars))};
    args.insert(args.end(), settings.orbOptions.begin(), settings.orbOptions.end());
    // Without a CA file no server certificate could be checked: TLS is not
    // used at all (rules given in LUMO_ORB_OPTIONS come first and win).
    const std::vector<std::string> rules = OrbServices::transportRules(settings);
    args.insert(args.end(), rules.begin(), rules.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    OrbServices::installTls(settings);
    // Design decision: an ORB that the host process initialised itself is
    // shared (ORB_init answers the existing one); the framework's options
    // then apply only where they are per call (timeouts, interceptor).
    lumo_idl::LumoCommentaryServiceStub::install();
    s.orb = CORBA::ORB_init(argc, argv.data(), "omniORB4");
    g_running = true;
    FtRequestTracker::installInterceptor();
    s.namingText = settings.naming.empty() ? std::string("initial reference NameService") : settings.naming;
    return s.orb;
}

}  // namespace

CORBA::ORB_ptr OrbServices::orb()
{
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return initialiseLocked(s);
}

CosNaming::NamingContext_ptr OrbServices::namingRoot()
{
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    CORBA::ORB_ptr orb = initialiseLocked(s);
    const FrameworkSettings settings = FrameworkSettings::current();
    if (!CORBA::is_nil(s.root) && s.rootNaming != settings.naming) {
        // The settings name another Naming Service now.
        CORBA::release(s.root);
        s.root = CosNaming::NamingContext::_nil();
    }
    if (CORBA::is_nil(s.root)) {
        CORBA::Object_var object;
        if (!settings.naming.empty()) {
            object = orb->string_to_object(settings.naming.c_str());
        } else {
            try {
                object = orb->resolve_initial_references("NameService");
            } catch (const CORBA::ORB::InvalidName&) {
                throw CORBA::INV_OBJREF(0, CORBA::COMPLETED_NO);
            }
        }
        if (CORBA::is_nil(object)) throw CORBA::INV_OBJREF(0, CORBA::COMPLETED_NO);
        // No remote type check here: a Naming Service that is down shows up
        // on the first real call, with that call's own failure.
        s.root = CosNaming::NamingContext::_unchecked_narrow(object);
        s.rootNaming = settings.naming;
        s.namingText = settings.naming.empty() ? std::string("initial reference NameService") : settings.naming;
    }
    return CosNaming::NamingContext::_duplicate(s.root);
}

std::string OrbServices::namingText()
{
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.namingText.empty()) return s.namingText;
    const FrameworkSettings settings = FrameworkSettings::current();
    return settings.naming.empty() ? std::string("initial reference NameService") : settings.naming;
}

void OrbServices::applyCallTimeout(CORBA::Object_ptr object, uint32_t callTimeoutMs)
{
    if (!CORBA::is_nil(object) && callTimeoutMs > 0) omniORB::setClientCallTimeout(object, callTimeoutMs);
}

void OrbServices::installTls(const FrameworkSettings& settings)
{
    TlsContext::install({settings.tlsAuthority, settings.tlsCertificate, settings.tlsKey});
}

std::vector<std::string> OrbServices::transportRules(const FrameworkSettings& settings)
{
    if (!settings.tlsAuthority.empty()) return {};
    return {"-ORBclientTransportRule", kPlainTransports};
}

void OrbServices::limitThreadCalls(uint32_t milliseconds)
{
    if (!g_running) return;  // no ORB, no call to limit
    JTCAdoptCurrentThread adopt;  // the limit lives in the thread's ORB state
    omniORB::setClientThreadCallTimeout(milliseconds);
}

void OrbServices::shutdown()
{
    OrbState& s = state();
    CORBA::ORB_ptr orb;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.shutDown) return;
        s.shutDown = true;
        g_running = false;
        CORBA::release(s.root);
        s.root = CosNaming::NamingContext::_nil();
        orb = s.orb;
        s.orb = CORBA::ORB::_nil();
    }
    if (!CORBA::is_nil(orb)) {
        try {
            orb->destroy();
        } catch (const CORBA::Exception&) {
            // Already destroyed by its owner: nothing left to do.
        }
        CORBA::release(orb);
    }
}

bool OrbServices::isShutDown()
{
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.shutDown;
}
