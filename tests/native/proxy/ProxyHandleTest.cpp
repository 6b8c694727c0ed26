// The plain handle over the proxy, and the stub helper.
#include "platform/framework/OrbServices.h"
#include "platform/framework/SCorbaSystemError.h"
#include "service/proxy/LumoCommentaryServiceHandle.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"
#include "tests/native/proxy/ProxyTestSupport.h"

class ProxyHandle : public ProxyFixture {
protected:
    SWCharString execute(const LumoCommentaryServiceHandle& handle, const char16_t* text = u"x")
    {
        return handle.execute(SNexaString(SWCharString(text)));
    }
};

TEST_F(ProxyHandle, CodeUnitsTravelOneByOneAndWholeCharactersInAReplyBecomePairs)
{
    // U+0024, U+00A2, U+20AC, U+1D11E (a surrogate pair), quote, backslash, control.
    const char16_t* text = u"$\u00A2\u20AC\U0001D11E\"\\\x01";
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    EXPECT_EQ(execute(handle, text).str(), std::u16string(u"reply:") + text);
    const std::vector<CORBA::WChar> units = {0x24, 0xA2, 0x20AC, 0xD834, 0xDD1E, 0x22, 0x5C, 0x01};
    EXPECT_EQ(stub.lastRequestUnits(), units);

    // A value beyond Unicode becomes U+FFFD; a lone surrogate stays.
    stub.script({StubStep::reply({'a', 0x1D11E, 0x110000, 0xDC00, 'z'})});
    EXPECT_EQ(execute(handle).str(), std::u16string(u"a\U0001D11E\uFFFD") + char16_t(0xDC00) + u"z");
}

TEST_F(ProxyHandle, FrameworkExceptionsPassAndCorbaExceptionsBecomeThePlainError)
{
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    stub.script({StubStep::fail("UNKNOWN")});
    EXPECT_THROW(execute(handle), NexaFrameworkException);

    stub.script({StubStep::fail("TRANSIENT")});
    service->markFailedAction = [](int) { throw CORBA::NO_MEMORY(3, CORBA::COMPLETED_MAYBE); };
    try {
        execute(handle);
        ADD_FAILURE() << "no exception";
    } catch (const SCorbaSystemError& err) {
        EXPECT_EQ(err.getRepositoryId(), "IDL:omg.org/CORBA/NO_MEMORY:1.0");
        EXPECT_EQ(err.getMinor(), 3u);
        EXPECT_EQ(err.getCompletion(), SCorbaSystemError::COMPLETED_MAYBE);
    }

    LumoCommentaryServiceHandle nil;
    try {
        execute(nil);
        ADD_FAILURE() << "no exception";
    } catch (const SCorbaSystemError& err) {
        EXPECT_EQ(utf8(err.getReasonText()), "INV_OBJREF (minor 0x00000000, COMPLETED_NO)");
    }
}

TEST_F(ProxyHandle, CopiesShareOneProxyWhichReleasesTheManagedServiceWithTheLastHandle)
{
    const int before = service->refCount();
    {
        LumoCommentaryServiceHandle first = LumoCommentaryServiceHandle::createProxy(service.get());
        EXPECT_EQ(service->refCount(), before + 1);
        LumoCommentaryServiceHandle second = first;
        LumoCommentaryServiceHandle third;
        third = second;
        EXPECT_EQ(service->refCount(), before + 1);
        first.reset();
        EXPECT_TRUE(first.isNil());
        EXPECT_EQ(execute(third, u"y").str(), u"reply:y");
        LumoCommentaryServiceHandle moved = std::move(second);
        EXPECT_TRUE(second.isNil());  // NOLINT: checking the moved-from state
        EXPECT_FALSE(moved.isNil());
    }
    EXPECT_EQ(service->refCount(), before);
}

// --- the stub helper ------------------------------------------------------------

TEST(ProxyHelper, NarrowsLocallyWhenItCanAndAsksRemotelyOtherwise)
{
    SRefPtr<IManagedService::IStubHelper> helper(LumoCommentaryService_HelperFactory().createHelper());
    EXPECT_EQ(helper->narrowStub(nullptr), nullptr);
    EXPECT_EQ(helper->narrowStub(CORBA::Object::_nil()), nullptr);

    // An address where nothing listens: a remote call fails at once.
    CORBA::Object_var object = OrbServices::orb()->string_to_object("corbaloc::127.0.0.1:1/NoSuchObject");
    LumoCommentaryService_var typed = LumoCommentaryService::_unchecked_narrow(object);
    CORBA::Object* narrowed = nullptr;
    ASSERT_NO_THROW(narrowed = helper->narrowStub(typed.in())) << "no remote call may be made";
    EXPECT_EQ(narrowed, static_cast<CORBA::Object*>(typed.in()));
    helper->releaseStub(narrowed);
    EXPECT_EQ(narrowed, nullptr);
    EXPECT_FALSE(CORBA::is_nil(typed)) << "the caller's own reference is untouched";

    EXPECT_THROW(helper->narrowStub(object.in()), CORBA::TRANSIENT);
}
