// lumo_commentary_server: see ServerOptions.cpp (--help) and server/README.md.
#include <omniORB4/CORBA.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include <prometheus/exposer.h>
#include "platform/foundation/SLogger.h"
#include "platform/framework/TlsContext.h"
#include "server/app/ServerOptions.h"
#include "server/core/PostgresCommentStore.h"
#include "server/core/RequestLog.h"
#include "server/core/RequestProcessor.h"
#include "server/core/SqliteCommentStore.h"
#include "server/metrics/AcceptedConnections.h"
#include "server/metrics/PrometheusMetrics.h"
#include "server/orb/CommentaryServant.h"
#include "server/orb/FtServerInterceptor.h"
#include "server/orb/NamingRegistration.h"
#include "server/orb/ServerOrbOptions.h"
#include "server/orb/ShutdownLatch.h"
#include "server/orb/UpcallThreads.h"

namespace {

using namespace lumo_server;

// Design decision: distinct exit codes tell scripts why a start failed.
constexpr int kExitStartup = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNaming = 3;
constexpr int kExitShutdownTimeout = 4;
// Design decision: shutdown gets this long (unbinding, finishing calls in
// progress) before the process ends itself with kExitShutdownTimeout.
constexpr std::chrono::seconds kShutdownBound(20);

const char kProgram[] = "lumo_commentary_server";

void complain(const std::string& message) { std::cerr << kProgram << ": " << message << std::endl; }

// Ends the process if shutdown takes too long.
class ShutdownWatchdog {
public:
    ShutdownWatchdog()
        : m_thread([this] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_condition.wait_for(lock, kShutdownBound, [this] { return m_done; })) return;
              std::fprintf(stderr, "%s: shutdown did not finish in time\n", kProgram);
              std::_Exit(kExitShutdownTimeout);
          })
    {
    }
    ~ShutdownWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_condition.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_done = false;
    std::thread m_thread;
};

std::unique_ptr<CommentStore> openStore(const ServerOptions& options)
{
    if (!options.postgres.empty())
        return std::make_unique<PostgresCommentStore>(
            options.postgres, SchemaMode::Create, PostgresTimeouts{options.pgLockTimeoutMs, options.pgStatementTimeoutMs});
    return std::make_unique<SqliteCommentStore>(options.sqlitePath, options.sqliteBusyTimeoutMs, SchemaMode::Create,
                                                options.sqliteExclusive ? SqliteLocking::Exclusive
                                                                        : SqliteLocking::Shared);
}

// The metrics, served at options.metricsEndpoint and told about every request.
struct MetricsEndpoint {
    std::shared_ptr<PrometheusMetrics> metrics;
    std::unique_ptr<prometheus::Exposer> exposer;
};

MetricsEndpoint serveMetrics(const ServerOptions& options, RequestProcessor& processor)
{
    MetricsEndpoint served;
    const AcceptedConnections connections({options.metricsPort});
    served.metrics = std::make_shared<PrometheusMetrics>([] { return double(UpcallThreads::current()); },
                                                         [connections] { return double(connections.count()); });
    served.exposer = std::make_unique<prometheus::Exposer>(options.metricsEndpoint);
    served.exposer->RegisterCollectable(served.metrics);
    processor.setObserver(served.metrics.get());
    return served;
}

// Connections are bounded by the idle timeout, not by the process's default
// limit of open files: raise the soft limit to the hard one.
void allowManyConnections()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Binds the server's name again every interval until shutdown, so that a
// Naming Service that lost its bindings learns the server again.
class PeriodicRebind {
public:
    PeriodicRebind(NamingRegistration& registration, CORBA::Object_ptr reference, int seconds, ShutdownLatch& latch)
        : m_thread([&registration, object = CORBA::Object::_duplicate(reference), seconds, &latch] {
              CORBA::Object_var held = object;
              while (!latch.waitFor(std::chrono::seconds(seconds))) {
                  try {
                      registration.bind(held.in());
                  } catch (const NamingError& e) {
                      complain(std::string("binding again failed: ") + e.what());
                  }
              }
          })
    {
    }
    ~PeriodicRebind() { m_thread.join(); }
    PeriodicRebind(const PeriodicRebind&) = delete;
    PeriodicRebind& operator=(const PeriodicRebind&) = delete;

private:
    std::thread m_thread;
};

bool writeIorFile(const std::string& path, const char* ior)
{
    // Written aside and renamed, so that a waiting reader never sees half an IOR.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!(out << ior << "\n")) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int serve(const ServerOptions& options, const sigset_t& stopSignals)
{
    std::unique_ptr<CommentStore> store;
    std::unique_ptr<RequestLog> log;
    try {
        store = openStore(options);
        if (!options.requestLog.empty()) log = std::make_unique<RequestLog>(options.requestLog);
    } catch (const std::exception& e) {
        complain(e.what());
        return kExitStartup;
    }

    ShutdownLatch latch;
    ProcessorSettings settings;
    settings.limits.maxRequestChars = options.maxRequestChars;
    settings.limits.maxFieldChars = options.maxFieldChars;
    settings.tokenSecret = options.tokenSecret;
    settings.replyMaxAgeMs = options.replyMaxAgeSeconds * 1000;
    settings.authorization =
        options.authorization == "open" ? AuthorizationPolicy::Open : AuthorizationPolicy::Owner;
    settings.administrators = options.administrators;
    settings.requestDeadlineMs = options.requestDeadlineMs;
    if (options.faultStallMs > 0)
        settings.beforeCommit = [&latch, ms = options.faultStallMs] { latch.waitFor(std::chrono::milliseconds(ms)); };
    RequestProcessor processor(*store, settings);
    MetricsEndpoint metrics;
    if (!options.metricsEndpoint.empty()) {
        try {
            metrics = serveMetrics(options, processor);
        } catch (const std::exception& e) {
            complain("cannot serve metrics at " + options.metricsEndpoint + ": " + e.what());
            return kExitStartup;
        }
    }
    allowManyConnections();

    // The SSL transport is always given a context (TlsContext.h); it listens
    // only when the server has a certificate (ServerOrbOptions).
    TlsContext::install({options.tlsAuthority, options.tlsCertificate, options.tlsKey});
    ServerOrbOptions orbOptions(options);
    std::vector<char*> orbArgv;
    std::vector<std::string> orbArgs = options.orbArgs;
    orbArgs.insert(orbArgs.begin(), kProgram);
    for (std::string& a : orbArgs) orbArgv.push_back(&a[0]);
    int orbArgc = static_cast<int>(orbArgv.size());

    CORBA::ORB_var orb;
    try {
        orb = CORBA::ORB_init(orbArgc, orbArgv.data(), "omniORB4", orbOptions.table());
    } catch (const CORBA::Exception& e) {
        const std::string tls = TlsContext::lastError();
        complain(std::string("cannot start the ORB: ") + e._name() + (tls.empty() ? "" : ": " + tls));
        return kExitStartup;
    }
    FtServerInterceptor::install();
    UpcallThreads::install();

    int exitCode = 0;
    std::unique_ptr<NamingRegistration> registration;
    CORBA::Object_var reference;
    {
        CommentaryServant* servant = nullptr;
        try {
            CORBA::Object_var poaObject = orb->resolve_initial_references("RootPOA");
            PortableServer::POA_var poa = PortableServer::POA::_narrow(poaObject);
            const FaultSettings faults{options.faultUserException, options.faultDelayMs, options.faultReplyFile};
            servant = new CommentaryServant(processor, log.get(), faults, latch);
            PortableServer::ObjectId_var id = poa->activate_object(servant);
            reference = poa->id_to_reference(id.in());
            PortableServer::POAManager_var manager = poa->the_POAManager();
            manager->activate();

            if (!options.noNaming) {
                CosNaming::NamingContext_var root = NamingRegistration::resolveRoot(orb, options.naming);
                registration = std::make_unique<NamingRegistration>(root, options.cluster, options.name);
                registration->bind(reference);
            }
            if (!options.iorFile.empty()) {
                CORBA::String_var ior = orb->object_to_string(reference);
                if (!writeIorFile(options.iorFile, ior.in())) throw std::runtime_error("cannot write " + options.iorFile);
            }
        } catch (const NamingError& e) {
            complain(e.what());
            exitCode = kExitNaming;
        } catch (const CORBA::Exception& e) {
            complain(std::string("cannot start the servant: ") + e._name());
            exitCode = kExitStartup;
        } catch (const std::exception& e) {
            complain(e.what());
            exitCode = kExitStartup;
        }
        if (servant) servant->_remove_ref();  // the POA holds its own reference
    }

    if (exitCode == 0) {
        std::unique_ptr<PeriodicRebind> rebind;
        if (registration)
            rebind = std::make_unique<PeriodicRebind>(*registration, reference, options.rebindSeconds, latch);
        std::cout << "ready" << std::endl;
        int signalNumber = 0;
        sigwait(&stopSignals, &signalNumber);
        latch.trigger();
    }

    ShutdownWatchdog watchdog;
    latch.trigger();
    if (registration) {
        std::string reason;
        if (!registration->unbind(reason)) complain("could not unbind from the Naming Service: " + reason);
    }
    try {
        orb->shutdown(true);
        orb->destroy();
    } catch (const CORBA::Exception& e) {
        complain(std::string("ORB shutdown: ") + e._name());
    }
    return exitCode;
}

}  // namespace

int main(int argc, char** argv)
{
    // Blocked before any thread exists, so that every ORB thread inherits the
    // mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    TraceLogInitExit traceGuard;
    if (!std::getenv("LUMO_TRACE_FILE")) {
        // Errors (level 0) go to standard error unless tracing is configured.
        STraceConfig config;
        config.level = 0;
        config.file = "stderr";
        SLogger::Configure(config);
    }

    ServerOptions options;
    std::string error;
    if (!ServerOptionsParser::parse(argc, argv, options, error)) {
        complain(error);
        std::cerr << "Try '" << kProgram << " --help'." << std::endl;
        return kExitUsage;
    }
    if (options.help) {
        std::cout << ServerOptionsParser::helpText();
        return 0;
    }
    return serve(options, stopSignals);
}
