// The plain handle over the proxy, and the stub helper.
#include "platform/framework/OrbServices.h"
#include "platform/framework/SCorbaSystemError.h"
#include "service/proxy/LumoCommentaryServiceHandle.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"
#include "tests/native/proxy/ProxyTestSupport.h"

class ProxyHandle : public ProxyFixture {};

TEST_F(ProxyHandle, NilHandleRaisesInvObjrefAsPlainError)
{
    LumoCommentaryServiceHandle nil;
    EXPECT_TRUE(nil.isNil());
    try {
        nil.execute(SNexaString(SWCharString(u"x")));
        ADD_FAILURE() << "no exception";
    } catch (const SCorbaSystemError& err) {
        EXPECT_EQ(err.getName(), "INV_OBJREF");
        EXPECT_EQ(utf8(err.getReasonText()), "INV_OBJREF (minor 0x00000000, COMPLETED_NO)");
    }
}

TEST_F(ProxyHandle, CodeUnitsTravelOneByOneBothWays)
{
    // U+0024, U+00A2, U+20AC, U+1D11E (a surrogate pair), quote, backslash, control.
    const std::u16string text = u"$\u00A2\u20AC\U0001D11E\"\\\x01";
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());

    const SWCharString reply = handle.execute(SNexaString(SWCharString(text)));

    const std::vector<CORBA::WChar> expected = {0x24, 0xA2, 0x20AC, 0xD834, 0xDD1E, 0x22, 0x5C, 0x01};
    EXPECT_EQ(stub.lastRequestUnits(), expected);
    EXPECT_EQ(reply.str(), u"reply:" + text);
}

TEST_F(ProxyHandle, WholeCharactersInAReplyBecomeSurrogatePairsAndInvalidOnesReplacementCharacters)
{
    stub.script({StubStep::replyUnits({'a', 0x1D11E, 0x110000, 0xDC00, 'z'})});
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    EXPECT_EQ(handle.execute(SNexaString(SWCharString(u"x"))).str(),
              std::u16string(u"a\U0001D11E\uFFFD") + char16_t(0xDC00) + u"z");
}

TEST_F(ProxyHandle, FrameworkExceptionPassesUnchanged)
{
    stub.script({StubStep::raise("BAD_PARAM")});
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    try {
        handle.execute(SNexaString(SWCharString(u"x")));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 17);
        EXPECT_EQ(utf8(ex.getSubstParam(0)), "BAD_PARAM (minor 0x00000000, COMPLETED_NO)");
    }
}

TEST_F(ProxyHandle, CorbaExceptionLeavingTheProxyBecomesThePlainError)
{
    stub.script({StubStep::raise("TRANSIENT")});
    service->markFailedAction = [](int) { throw CORBA::NO_MEMORY(3, CORBA::COMPLETED_MAYBE); };
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    try {
        handle.execute(SNexaString(SWCharString(u"x")));
        ADD_FAILURE() << "no exception";
    } catch (const SCorbaSystemError& err) {
        EXPECT_EQ(err.getName(), "NO_MEMORY");
        EXPECT_EQ(err.getRepositoryId(), "IDL:omg.org/CORBA/NO_MEMORY:1.0");
        EXPECT_EQ(err.getMinor(), 3u);
        EXPECT_EQ(err.getCompletion(), SCorbaSystemError::COMPLETED_MAYBE);
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
        EXPECT_EQ(third.execute(SNexaString(SWCharString(u"y"))).str(), u"reply:y");
        LumoCommentaryServiceHandle moved = std::move(second);
        EXPECT_TRUE(second.isNil());  // NOLINT: checking the moved-from state
        EXPECT_FALSE(moved.isNil());
    }
    EXPECT_EQ(service->refCount(), before);
}

TEST_F(ProxyHandle, HandleOnANullManagedServiceAnswersDead)
{
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(nullptr);
    EXPECT_FALSE(handle.isNil());
    try {
        handle.execute(SNexaString(SWCharString(u"x")));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 16);
        EXPECT_EQ(ex.getMessage(), "Failed to do the reconnection as service as marked as dead");
    }
}

// --- the stub helper ------------------------------------------------------------

class ProxyHelper : public ::testing::Test {
protected:
    void SetUp() override
    {
        LumoCommentaryService_HelperFactory factory;
        helper = factory.createHelper();
        // An address where nothing listens: a remote call fails at once.
        object = OrbServices::orb()->string_to_object("corbaloc::127.0.0.1:1/NoSuchObject");
    }
    SRefPtr<IManagedService::IStubHelper> helper;
    CORBA::Object_var object;
};

TEST_F(ProxyHelper, NullAndNilReferencesNarrowToNull)
{
    EXPECT_EQ(helper->narrowStub(nullptr), nullptr);
    EXPECT_EQ(helper->narrowStub(CORBA::Object::_nil()), nullptr);
}

TEST_F(ProxyHelper, ReferenceAlreadyOfTheTypeNarrowsLocallyAndGainsAReference)
{
    LumoCommentaryService_var typed = LumoCommentaryService::_unchecked_narrow(object);
    CORBA::Object* narrowed = nullptr;
    ASSERT_NO_THROW(narrowed = helper->narrowStub(typed.in())) << "no remote call may be made";
    EXPECT_EQ(narrowed, static_cast<CORBA::Object*>(typed.in()));
    helper->releaseStub(narrowed);
    EXPECT_EQ(narrowed, nullptr);
    EXPECT_FALSE(CORBA::is_nil(typed)) << "the caller's own reference is untouched";
}

TEST_F(ProxyHelper, UntypedReferenceIsAskedRemotely)
{
    EXPECT_THROW(helper->narrowStub(object.in()), CORBA::TRANSIENT);
}
