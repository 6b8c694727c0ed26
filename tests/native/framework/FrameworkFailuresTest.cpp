// How the framework classifies and injects failures, opens requests and
// refuses bad creation requests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <thread>

#include "platform/foundation/SResString.h"
#include "platform/framework/AbstractStubHelper.h"
#include "platform/framework/FailureClassifier.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/ServiceMgr.h"
#include "platform/framework/ServiceMgrFactory.h"
#include "platform/framework/TestExceptionScript.h"

namespace {

// A managed service with nothing resolved: its own pulse and classification.
class BareManagedService : public ManagedService {
public:
    explicit BareManagedService(bool retention) : ManagedService(u"Nexa_LumoCommentary", nullptr, settings(retention)) {}

private:
    static FrameworkSettings settings(bool retention)
    {
        FrameworkSettings s;
        s.retention = retention;
        return s;
    }
};

// A helper that vetoes every retry.
class VetoHelper : public AbstractStubHelper {
public:
    CORBA::Object* narrowStub(CORBA::Object*) override { return nullptr; }
    void releaseStub(CORBA::Object*& stub) override { stub = nullptr; }
    bool isRecoverable(const CORBA::SystemException&) const override { return false; }
};

class VetoFactory : public IManagedService::IHelperFactory {
public:
    IManagedService::IStubHelper* createHelper() override
    {
        ++made;
        return new VetoHelper;
    }
    int made = 0;
};

}  // namespace

// --- classification ------------------------------------------------------------------

struct ClassCase {
    const char* kind;
    SCorbaSystemError::Completion completion;
    bool withRetention;
    bool withoutRetention;
};

std::string classCaseName(const ClassCase& c)
{
    return std::string(c.kind) + "_" + SCorbaSystemError::completionName(c.completion);
}
void PrintTo(const ClassCase& c, std::ostream* os) { *os << classCaseName(c); }

class FrameworkClassification : public ::testing::TestWithParam<ClassCase> {};

TEST_P(FrameworkClassification, RecoverableOnlyForConnectionFailuresThatMayBeRepeated)
{
    const ClassCase& c = GetParam();
    const SCorbaSystemError error(std::string("IDL:omg.org/CORBA/") + c.kind + ":1.0", c.kind, 0, c.completion);
    EXPECT_EQ(FailureClassifier::isRecoverable(error, true), c.withRetention);
    EXPECT_EQ(FailureClassifier::isRecoverable(error, false), c.withoutRetention);
}

using C = SCorbaSystemError;
INSTANTIATE_TEST_SUITE_P(
    FrameworkRules, FrameworkClassification,
    ::testing::Values(ClassCase{"TRANSIENT", C::COMPLETED_NO, true, true},
                      ClassCase{"TRANSIENT", C::COMPLETED_MAYBE, true, false},
                      ClassCase{"TRANSIENT", C::COMPLETED_YES, false, false},
                      ClassCase{"COMM_FAILURE", C::COMPLETED_MAYBE, true, false},
                      ClassCase{"OBJECT_NOT_EXIST", C::COMPLETED_NO, true, true},
                      ClassCase{"TIMEOUT", C::COMPLETED_MAYBE, true, false},
                      ClassCase{"NO_RESPONSE", C::COMPLETED_NO, true, true},
                      ClassCase{"UNKNOWN", C::COMPLETED_NO, false, false},
                      ClassCase{"MARSHAL", C::COMPLETED_MAYBE, false, false}),
    [](const auto& info) { return classCaseName(info.param); });

TEST(FrameworkClassificationOfExceptions, ManagedServiceUsesTheTableAndRetentionSetting)
{
    SRefPtr<BareManagedService> withRetention(new BareManagedService(true));
    SRefPtr<BareManagedService> without(new BareManagedService(false));
    const CORBA::COMM_FAILURE maybe(0, CORBA::COMPLETED_MAYBE);
    EXPECT_TRUE(withRetention->isRecoverable(maybe));
    EXPECT_FALSE(without->isRecoverable(maybe));
    EXPECT_FALSE(withRetention->isRecoverable(CORBA::UNKNOWN(0, CORBA::COMPLETED_NO)));
    EXPECT_FALSE(FailureClassifier::isRecoverable(
        SCorbaSystemError("IDL:x/E:1.0", "TRANSIENT", 0, SCorbaSystemError::COMPLETED_NO, true), true))
        << "a user exception is never recoverable, whatever its name";
}

// --- retention ids ----------------------------------------------------------------------

TEST(FrameworkRetention, EachPulseOpensANewRequestOnlyWithRetention)
{
    SRefPtr<BareManagedService> service(new BareManagedService(true));
    lumo_ft::FtRequest first, second;
    service->pulse();
    ASSERT_TRUE(FtRequestTracker::current(first));
    EXPECT_TRUE(FtRequestTracker::current(second));
    EXPECT_EQ(second.retentionId, first.retentionId) << "the same request until the next pulse";
    service->completePulse();
    EXPECT_FALSE(FtRequestTracker::current(second));
    service->pulse();
    ASSERT_TRUE(FtRequestTracker::current(second));
    service->completePulse();
    EXPECT_NE(second.retentionId, first.retentionId);
    EXPECT_EQ(second.clientId, first.clientId);
    EXPECT_EQ(first.clientId, FtRequestTracker::clientId());
    EXPECT_GT(first.expirationTime, 0u);

    SRefPtr<BareManagedService> without(new BareManagedService(false));
    without->pulse();
    EXPECT_FALSE(FtRequestTracker::current(second));
    without->completePulse();
}

TEST(FrameworkRetention, ThreadsHoldTheirOwnRequests)
{
    SRefPtr<BareManagedService> service(new BareManagedService(true));
    const int threads = 4;
    std::vector<long> ids(threads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                service->pulse();
                lumo_ft::FtRequest request;
                if (FtRequestTracker::current(request)) ids[static_cast<std::size_t>(t)] = request.retentionId;
                service->completePulse();
            }
        });
    }
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(std::set<long>(ids.begin(), ids.end()).size(), static_cast<std::size_t>(threads));
    lumo_ft::FtRequest none;
    EXPECT_FALSE(FtRequestTracker::current(none)) << "another thread's request is not this thread's";
}

// --- the failure script -----------------------------------------------------------------

struct ScriptCase {
    const char* script;
    bool valid;
    int calls;
};

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << '"' << c.script << '"'; }

class FrameworkTestExceptionScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(FrameworkTestExceptionScript, ParsesTheStepSyntax)
{
    TestExceptionScript script;
    std::string error;
    EXPECT_EQ(script.load(GetParam().script, &error), GetParam().valid) << error;
    EXPECT_EQ(script.remaining(), GetParam().calls);
    EXPECT_EQ(error.empty(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(FrameworkRules, FrameworkTestExceptionScript,
                         ::testing::Values(ScriptCase{"", true, 0}, ScriptCase{"TRANSIENT", true, 1},
                                           ScriptCase{" TRANSIENT * 2 , none, UNKNOWN:MAYBE ", true, 4},
                                           ScriptCase{"COMM_FAILURE:YES*3", true, 3},
                                           ScriptCase{"TRANSIENT,,none", false, 0},
                                           ScriptCase{"EXPLODE", false, 0}, ScriptCase{"TRANSIENT:SOMETIMES", false, 0},
                                           ScriptCase{"TRANSIENT*0", false, 0},
                                           ScriptCase{"TRANSIENT*x", false, 0}));

TEST(FrameworkTestExceptionScriptRun, RaisesTheStepsInOrderThenNothing)
{
    TestExceptionScript script;
    ASSERT_TRUE(script.load("TRANSIENT*2, none, UNKNOWN:MAYBE"));
    EXPECT_THROW(script.trigger(), CORBA::TRANSIENT);
    EXPECT_THROW(script.trigger(), CORBA::TRANSIENT);
    EXPECT_NO_THROW(script.trigger());
    try {
        script.trigger();
        ADD_FAILURE() << "no exception";
    } catch (const CORBA::UNKNOWN& ex) {
        EXPECT_EQ(ex.completed(), CORBA::COMPLETED_MAYBE);
    }
    EXPECT_NO_THROW(script.trigger());
    EXPECT_EQ(script.remaining(), 0);
}

// --- creation requests the service manager refuses -----------------------------------------

TEST(FrameworkServiceMgr, BadArgumentsAreRefusedBeforeAnythingIsResolved)
{
    SRefPtr<IServiceMgr> manager = ServiceMgrFactory::getServiceMgr();
    SRefPtr<ServerSpec> serverSpec(new ServerSpec(u"UNSPECIFIED", u"PJS", u"", u"", true));
    VetoFactory factory;
    SRefPtr<IManagedService> service;
    struct Bad {
        int lb;
        const char16_t* name;
        ServerSpec* serverSpec;
        IManagedService::IHelperFactory* factory;
    };
    for (const Bad& bad : {Bad{IManagedService::LB_ID, u"", serverSpec.get(), &factory},
                           Bad{IManagedService::LB_ID, u"Nexa_LumoCommentary", nullptr, &factory},
                           Bad{IManagedService::LB_ID, u"Nexa_LumoCommentary", serverSpec.get(), nullptr},
                           Bad{77, u"Nexa_LumoCommentary", serverSpec.get(), &factory}}) {
        try {
            manager->createManagedService(service, bad.lb, bad.name, bad.serverSpec, u"urn:lumo:user:a", u"LT1:a:1:0",
                                          bad.factory);
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
    VetoFactory factory;
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
