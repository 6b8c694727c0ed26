// Shared fixture of the proxy suites: a proxy over a scripted managed service
// and a fake stub.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/SAssert.h"
#include "platform/foundation/SString.h"
#include "platform/framework/NexaFrameworkException.h"
#include "service/proxy/LumoCommentaryService_proxy.h"
#include "tests/native/proxy/ScriptedManagedService.h"

class ProxyFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedBound = ManagedService::INVOKE_LOOP_INSANITY.load();
        m_savedTests = ManagedService::TESTS_ENABLED.load();
        ManagedService::INVOKE_LOOP_INSANITY = 3;
        ManagedService::TESTS_ENABLED = false;
        SAssertSetEnabled(true);
        service = new ScriptedManagedService(&stub);
        proxy = new LumoCommentaryServiceProxy(service.get());
    }

    void TearDown() override
    {
        EXPECT_EQ(service->lockViolations.load(), 0) << "a call ran with the wrong session-lock state";
        EXPECT_EQ(service->locks.load(), service->unlocks.load());
        EXPECT_EQ(service->pulses.load(), service->pulsesCompleted.load());
        proxy.reset();
        service.reset();
        ManagedService::INVOKE_LOOP_INSANITY = m_savedBound;
        ManagedService::TESTS_ENABLED = m_savedTests;
    }

    // One call through the proxy; the reply as UTF-16.
    std::u16string call(const std::u16string& request = u"req")
    {
        std::vector<CORBA::WChar> units(request.begin(), request.end());
        units.push_back(0);
        CORBA::WString_var reply = proxy->execute(units.data());
        std::u16string text;
        for (const CORBA::WChar* p = reply.in(); *p; ++p) text += static_cast<char16_t>(*p);
        return text;
    }

    // The NexaFrameworkException that a call raises (a test failure if none).
    NexaFrameworkException failingCall()
    {
        try {
            call();
        } catch (const NexaFrameworkException& ex) {
            return ex;
        }
        ADD_FAILURE() << "the call raised no NexaFrameworkException";
        return NexaFrameworkException(0, "", 0);
    }

    FakeCommentaryStub stub;
    SRefPtr<ScriptedManagedService> service;
    SRefPtr<LumoCommentaryServiceProxy> proxy;

private:
    int m_savedBound = 3;
    bool m_savedTests = false;
};

inline std::string utf8(const SWCharString& s) { return s.toUtf8(); }
