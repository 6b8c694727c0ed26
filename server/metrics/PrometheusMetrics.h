// The server's metrics in Prometheus form, served by prometheus-cpp's
// exposer at /metrics:
//   lumo_commentary_requests_total{kind,status}   answered requests by kind
//       ("add", "get", "modify", "delete", "test_connection", "hide",
//       "duplicate", or "unknown" when the text was not read that far) and
//       status code ("0" for success)
//   lumo_commentary_replays_total                 answered from the reply table
//   lumo_commentary_storage_errors_total          answered 500 because the store failed
//   lumo_commentary_storage_timeouts_total        answered because the store timed out
//   lumo_commentary_request_duration_seconds      histogram: text received to answer ready
//   lumo_commentary_threads_in_use                gauge, read at each scrape
//   lumo_commentary_connections_open              gauge, read at each scrape
// The two gauges come from functions the ORB side supplies (see ServerMain).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <prometheus/collectable.h>
#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>

#include "server/core/RequestProcessor.h"

namespace lumo_server {

class PrometheusMetrics : public ProcessObserver, public prometheus::Collectable {
public:
    using Reading = std::function<double()>;
    PrometheusMetrics(Reading threadsInUse, Reading connectionsOpen);

    void requestAnswered(const ProcessOutcome& outcome, double seconds) override;
    std::vector<prometheus::MetricFamily> Collect() const override;

private:
    prometheus::Counter& requests(const ProcessOutcome& outcome);

    Reading m_threadsInUse;
    Reading m_connectionsOpen;
    std::shared_ptr<prometheus::Registry> m_registry;
    prometheus::Family<prometheus::Counter>& m_requests;
    prometheus::Counter& m_replays;
    prometheus::Counter& m_storageErrors;
    prometheus::Counter& m_storageTimeouts;
    prometheus::Histogram& m_duration;
    prometheus::Gauge& m_threads;
    prometheus::Gauge& m_connections;
};

}  // namespace lumo_server
