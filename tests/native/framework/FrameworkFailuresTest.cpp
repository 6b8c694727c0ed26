// How the framework classifies and injects failures, opens requests and
// bounds calls in time, and refuses bad creation requests.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "platform/foundation/SResString.h"
#include "platform/framework/AbstractStubHelper.h"
#include "platform/framework/CallDeadline.h"
#include "platform/framework/FailureClassifier.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/ReconnectBackoff.h"
#include "platform/framework/ServiceMgr.h"
#include "platform/framework/ServiceMgrFactory.h"
#include "platform/framework/TestExceptionScript.h"

namespace {

using namespace std::chrono;

// A managed service with nothing resolved (no server can ever be found): its
// own pulse, deadline, session lock and classification.
class BareManagedService : public ManagedService {
public:
    explicit BareManagedService(bool retention, uint32_t deadlineMs = 15000)
        : ManagedService(u"Nexa_LumoCommentary", nullptr, settings(retention, deadlineMs))
    {
    }

private:
    static FrameworkSettings settings(bool retention, uint32_t deadlineMs)
    {
        FrameworkSettings s;
        s.retention = retention, s.callDeadlineMs = deadlineMs;
        return s;
    }
};

template <class F>
milliseconds timed(F f)
{
    const auto start = steady_clock::now();
    f();
    return duration_cast<milliseconds>(steady_clock::now() - start);
}

// Counts the helpers it makes; they narrow nothing.
class CountingFactory : public IManagedService::IHelperFactory {
    struct Helper : AbstractStubHelper {
        CORBA::Object* narrowStub(CORBA::Object*) override { return nullptr; }
        void releaseStub(CORBA::Object*& stub) override { stub = nullptr; }
    };

public:
    IManagedService::IStubHelper* createHelper() override { return ++made, new Helper; }
    int made = 0;
};

}  // namespace

// --- classification ------------------------------------------------------------------

TEST(FrameworkClassification, RecoverableOnlyForConnectionFailuresThatMayBeRepeated)
{
    using C = SCorbaSystemError;
    // kind, completion, recoverable with retention, without
    const std::tuple<const char*, C::Completion, bool, bool> cases[] = {
        {"TRANSIENT", C::COMPLETED_NO, true, true},       {"TRANSIENT", C::COMPLETED_MAYBE, true, false},
        {"TRANSIENT", C::COMPLETED_YES, false, false},    {"COMM_FAILURE", C::COMPLETED_MAYBE, true, false},
        {"OBJECT_NOT_EXIST", C::COMPLETED_NO, true, true}, {"TIMEOUT", C::COMPLETED_MAYBE, true, false},
        {"NO_RESPONSE", C::COMPLETED_NO, true, true},     {"UNKNOWN", C::COMPLETED_NO, false, false},
        {"MARSHAL", C::COMPLETED_MAYBE, false, false}};
    for (const auto& [kind, completion, withRetention, without] : cases) {
        const SCorbaSystemError error(std::string("IDL:omg.org/CORBA/") + kind + ":1.0", kind, 0, completion);
        EXPECT_EQ(FailureClassifier::isRecoverable(error, true), withRetention) << kind << " " << completion;
        EXPECT_EQ(FailureClassifier::isRecoverable(error, false), without) << kind << " " << completion;
    }
    EXPECT_FALSE(FailureClassifier::isRecoverable(
        SCorbaSystemError("IDL:x/E:1.0", "TRANSIENT", 0, SCorbaSystemError::COMPLETED_NO, true), true))
        << "a user exception is never recoverable, whatever its name";
    // The managed service applies the table with its own retention setting.
    const CORBA::COMM_FAILURE maybe(0, CORBA::COMPLETED_MAYBE);
    EXPECT_TRUE(SRefPtr<BareManagedService>(new BareManagedService(true))->isRecoverable(maybe));
    EXPECT_FALSE(SRefPtr<BareManagedService>(new BareManagedService(false))->isRecoverable(maybe));
}

// --- one logical call per thread: retention id and deadline ----------------------------

// Each thread's pulse opens its own request and deadline; the retention id
// stays until the next pulse, and a spent deadline ends only its own call.
TEST(FrameworkLogicalCall, EachThreadHoldsItsOwnRequestAndDeadline)
{
    SRefPtr<BareManagedService> service(new BareManagedService(true, 150));
    std::vector<long> ids(4, 0);
    std::vector<int> deadAtOnce(4, 1), deadLater(4, 0);
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < ids.size(); ++t)
        workers.emplace_back([&, t] {
            lumo_ft::FtRequest first, again;
            service->pulse();
            if (FtRequestTracker::current(first) && FtRequestTracker::current(again) &&
                again.retentionId == first.retentionId && first.clientId == FtRequestTracker::clientId())
                ids[t] = first.retentionId;
            deadAtOnce[t] = service->isDead();
            std::this_thread::sleep_for(milliseconds(200));
            deadLater[t] = service->isDead() && !service->checkState();
            service->completePulse();
        });
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(std::set<long>(ids.begin(), ids.end()).size(), ids.size()) << "four distinct retention ids";
    EXPECT_EQ(deadAtOnce, std::vector<int>(4, 0));
    EXPECT_EQ(deadLater, std::vector<int>(4, 1));
    lumo_ft::FtRequest none;
    EXPECT_FALSE(FtRequestTracker::current(none)) << "another thread's request is not this thread's";
    EXPECT_FALSE(service->isDead()) << "another thread's spent deadline is not this thread's";

    SRefPtr<BareManagedService> without(new BareManagedService(false));
    without->pulse();
    EXPECT_FALSE(FtRequestTracker::current(none)) << "no retention id without retention";
    without->completePulse();
}

// With no server to find, re-validation waits with growing pauses until the
// call's deadline, and a session lock held elsewhere is waited for no longer.
TEST(FrameworkLogicalCall, WaitsEndAtTheDeadlineAndGrowUpToTheirCap)
{
    SRefPtr<BareManagedService> service(new BareManagedService(true, 600));
    service->pulse();
    const milliseconds waited = timed([&] { service->reValidate(); });
    EXPECT_GE(waited, milliseconds(550));
    EXPECT_LT(waited, milliseconds(3000));
    EXPECT_TRUE(service->isDead());
    service->completePulse();

    std::thread holder([&] {
        service->getSessionLock();
        std::this_thread::sleep_for(milliseconds(4000));
        service->releaseSessionLock();
    });
    std::this_thread::sleep_for(milliseconds(100));
    service->pulse();
    EXPECT_LT(timed([&] { service->getSessionLock(); }), milliseconds(3000)) << "gave up at the deadline";
    EXPECT_FALSE(service->checkState());
    service->releaseSessionLock();  // holds nothing: releases nothing
    service->completePulse();
    holder.join();

    ReconnectBackoff backoff(10, 40);
    CallDeadline::begin(1000);
    std::vector<uint32_t> bounds;
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(backoff.wait());
        bounds.push_back(backoff.currentMs());
    }
    EXPECT_EQ(bounds, (std::vector<uint32_t>{20, 40, 40, 40})) << "doubling up to the cap";
    CallDeadline::begin(0);
    EXPECT_FALSE(backoff.wait());
    CallDeadline::end();
}

// --- the failure script -----------------------------------------------------------------

// (The proxy suites run their stubs on such scripts.)
TEST(FrameworkTestExceptionScript, ReadsBlanksAndNoneAndRefusesWhatItCannotRead)
{
    TestExceptionScript script;
    std::string error;
    for (const char* bad : {"TRANSIENT,,none", "EXPLODE", "TRANSIENT:SOMETIMES", "TRANSIENT*0", "TRANSIENT*x"}) {
        EXPECT_FALSE(script.load(bad, &error)) << bad;
        EXPECT_EQ(script.remaining(), 0);
    }
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(script.load(" TRANSIENT * 2 , none, UNKNOWN:MAYBE "));
    EXPECT_EQ(script.remaining(), 4);
    script.load("none, UNKNOWN");
    EXPECT_NO_THROW(script.trigger());
    EXPECT_THROW(script.trigger(), CORBA::UNKNOWN);
}

// --- creation requests the service manager refuses -----------------------------------------

TEST(FrameworkServiceMgr, BadArgumentsAreRefusedBeforeAnythingIsResolved)
{
    SRefPtr<IServiceMgr> manager = ServiceMgrFactory::getServiceMgr();
    SRefPtr<ServerSpec> serverSpec(new ServerSpec(u"UNSPECIFIED", u"PJS", u"", u"", true));
    CountingFactory factory;
    SRefPtr<IManagedService> service;
    // policy, service name, ServerSpec, factory
    const std::tuple<int, const char16_t*, ServerSpec*, IManagedService::IHelperFactory*> bad[] = {
        {IManagedService::LB_ID, u"", serverSpec.get(), &factory},
        {IManagedService::LB_ID, u"Nexa_LumoCommentary", nullptr, &factory},
        {IManagedService::LB_ID, u"Nexa_LumoCommentary", serverSpec.get(), nullptr},
        {77, u"Nexa_LumoCommentary", serverSpec.get(), &factory}};
    for (const auto& [lb, name, spec, maker] : bad) {
        try {
            manager->createManagedService(service, lb, name, spec, u"urn:lumo:user:a", u"LT1:a:1:0", maker);
            ADD_FAILURE() << "no exception";
        } catch (const Nexa2Exception& ex) {
            EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kInvalidServiceRequest);
        }
    }
    EXPECT_TRUE(service.isNull());
    EXPECT_EQ(factory.made, 0);
}

TEST(FrameworkServiceMgr, UnreachableNamingServiceIsReportedAndTheHelperReleased)
{
    // Nothing listens on port 1: the first naming call fails at once.
    FrameworkSettings settings = FrameworkSettings::current();
    settings.naming = "corbaloc::127.0.0.1:1/NameService";
    FrameworkSettings::setCurrent(settings);
    SRefPtr<IServiceMgr> manager = ServiceMgrFactory::getServiceMgr();
    SRefPtr<ServerSpec> serverSpec(new ServerSpec(u"UNSPECIFIED", u"PJS", u"", u"", true));
    CountingFactory factory;
    SRefPtr<IManagedService> service;
    try {
        manager->createManagedService(service, IManagedService::LB_ID, u"Nexa_LumoCommentary", serverSpec,
                                      u"urn:lumo:user:a", u"LT1:a:1:0", &factory);
        ADD_FAILURE() << "no exception";
    } catch (const Nexa2Exception& ex) {
        EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kNamingServiceUnavailable);
        ASSERT_EQ(ex.getSubstTexts().count(), 2u);
        EXPECT_EQ(ex.getSubstTexts()[0].toUtf8(), "corbaloc::127.0.0.1:1/NameService");
        EXPECT_EQ(ex.getSubstTexts()[1].toUtf8().rfind("TRANSIENT (minor 0x", 0), 0u);
    }
    EXPECT_TRUE(service.isNull());
    EXPECT_EQ(factory.made, 1);
    EXPECT_EQ(serverSpec->refCount(), 1) << "nothing keeps the ServerSpec after a failed creation";
}
