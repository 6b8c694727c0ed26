#include "server/metrics/PrometheusMetrics.h"

namespace lumo_server {
namespace {

using namespace prometheus;

const char* kindName(const std::optional<int32_t>& requestType)
{
    static const char* const kNames[] = {"unknown", "add",  "get",      "modify", "delete",
                                         "test_connection", "hide", "duplicate"};
    if (!requestType || *requestType < 1 || *requestType > 7) return kNames[0];
    return kNames[*requestType];
}

Counter& counter(Registry& registry, const std::string& name, const std::string& help)
{
    return BuildCounter().Name(name).Help(help).Register(registry).Add({});
}

Gauge& gauge(Registry& registry, const std::string& name, const std::string& help)
{
    return BuildGauge().Name(name).Help(help).Register(registry).Add({});
}

// Design decision: from half a millisecond (a test connection) to ten seconds
// (the SQLite busy timeout).
Histogram::BucketBoundaries durationBuckets()
{
    return {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
}

}  // namespace

PrometheusMetrics::PrometheusMetrics(Reading threadsInUse, Reading connectionsOpen)
    : m_threadsInUse(std::move(threadsInUse)),
      m_connectionsOpen(std::move(connectionsOpen)),
      m_registry(std::make_shared<Registry>()),
      m_requests(BuildCounter()
                     .Name("lumo_commentary_requests_total")
                     .Help("Requests answered, by request kind and status code")
                     .Register(*m_registry)),
      m_replays(counter(*m_registry, "lumo_commentary_replays_total",
                        "Exactly-once requests answered from the reply table")),
      m_storageErrors(counter(*m_registry, "lumo_commentary_storage_errors_total",
                              "Requests answered with a storage failure")),
      m_storageTimeouts(counter(*m_registry, "lumo_commentary_storage_timeouts_total",
                                "Requests answered because the store did not answer in time")),
      m_duration(BuildHistogram()
                     .Name("lumo_commentary_request_duration_seconds")
                     .Help("Time from receiving a request text to having its answer")
                     .Register(*m_registry)
                     .Add({}, durationBuckets())),
      m_threads(gauge(*m_registry, "lumo_commentary_threads_in_use",
                      "ORB threads assigned to serving incoming calls")),
      m_connections(gauge(*m_registry, "lumo_commentary_connections_open",
                          "TCP connections open on the server's GIOP endpoints"))
{
}

Counter& PrometheusMetrics::requests(const ProcessOutcome& outcome)
{
    // Family::Add finds the existing counter for known labels (under its lock).
    return m_requests.Add({{"kind", kindName(outcome.requestType)}, {"status", std::to_string(outcome.statusCode)}});
}

void PrometheusMetrics::requestAnswered(const ProcessOutcome& outcome, double seconds)
{
    requests(outcome).Increment();
    if (outcome.replayed) m_replays.Increment();
    if (outcome.storageFault == StorageFault::Error) m_storageErrors.Increment();
    if (outcome.storageFault == StorageFault::Timeout) m_storageTimeouts.Increment();
    m_duration.Observe(seconds);
}

std::vector<MetricFamily> PrometheusMetrics::Collect() const
{
    m_threads.Set(m_threadsInUse());
    m_connections.Set(m_connectionsOpen());
    return m_registry->Collect();
}

}  // namespace lumo_server
