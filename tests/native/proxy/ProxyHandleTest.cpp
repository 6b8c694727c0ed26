// The plain handle over the proxy, the stub helper and the unbound stub.
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
    EXPECT_EQ(stub.lastRequest, (std::vector<CORBA::WChar>{0x24, 0xA2, 0x20AC, 0xD834, 0xDD1E, 0x22, 0x5C, 0x01}));

    // A value beyond Unicode becomes U+FFFD; a lone surrogate stays.
    stub.replyUnits = {'a', 0x1D11E, 0x110000, 0xDC00, 'z'};
    EXPECT_EQ(execute(handle).str(), std::u16string(u"a\U0001D11E\uFFFD") + char16_t(0xDC00) + u"z");
}

// Replies are narrowed in the ORB's buffer, block by block; from an element
// above 0xFFFF on, the rest is copied with pairs.
TEST_F(ProxyHandle, LongRepliesArriveWhole)
{
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    for (const std::size_t wholeAt : {std::size_t(0), std::size_t(1), std::size_t(300), std::size_t(699), std::size_t(700)}) {
        std::u16string expected;
        stub.replyUnits.clear();
        for (std::size_t i = 0; i < 700; ++i) {
            const char16_t unit = u'a' + i % 26;
            stub.replyUnits.push_back(i == wholeAt ? 0x1D11E : unit);
            expected += i == wholeAt ? std::u16string(u"\U0001D11E") : std::u16string(1, unit);
        }
        EXPECT_EQ(execute(handle).str(), expected) << "whole character at " << wholeAt;
    }
}

// What leaves a call, as the plain error: (name, minor, completion).
TEST_F(ProxyHandle, FrameworkExceptionsPassAndCorbaExceptionsBecomeThePlainError)
{
    auto plainError = [this](const LumoCommentaryServiceHandle& handle) {
        try {
            execute(handle);
        } catch (const SCorbaSystemError& err) {
            return utf8(err.getReasonText());
        }
        return std::string("no SCorbaSystemError");
    };
    LumoCommentaryServiceHandle handle = LumoCommentaryServiceHandle::createProxy(service.get());
    ASSERT_TRUE(stub.failures.load("UNKNOWN"));
    EXPECT_THROW(execute(handle), NexaFrameworkException);

    ASSERT_TRUE(stub.failures.load("TRANSIENT"));
    service->markFailedAction = [](int) { throw CORBA::NO_MEMORY(3, CORBA::COMPLETED_MAYBE); };
    EXPECT_EQ(plainError(handle), "NO_MEMORY (minor 0x00000003, COMPLETED_MAYBE)");
    EXPECT_EQ(plainError(LumoCommentaryServiceHandle()), "NO_IMPLEMENT (minor 0x00000000, COMPLETED_NO)");
}

TEST(ProxyStub, AStubThatIsNotBoundRaisesNoImplementWithoutSending)
{
    struct Unbound : lumo_idl::LumoCommentaryServiceStub {
    } unbound;
    const CORBA::WChar request[] = {'x', 0};
    try {
        CORBA::WString_var reply = unbound.execute(request);
        ADD_FAILURE() << "no exception";
    } catch (const CORBA::NO_IMPLEMENT& ex) {
        EXPECT_EQ(ex.minor(), 0u);
        EXPECT_EQ(ex.completed(), CORBA::COMPLETED_NO);
    }
}

TEST_F(ProxyHandle, CopiesShareOneProxyWhichReleasesTheManagedServiceWithTheLastHandle)
{
    const int before = service->refCount();
    {
        LumoCommentaryServiceHandle first = LumoCommentaryServiceHandle::createProxy(service.get());
        LumoCommentaryServiceHandle second = first, third;
        third = std::move(second);
        EXPECT_TRUE(second.isNil());  // NOLINT: checking the moved-from state
        first.reset();
        EXPECT_EQ(service->refCount(), before + 1);
        EXPECT_EQ(execute(third, u"y").str(), u"reply:y");
    }
    EXPECT_EQ(service->refCount(), before);
}

TEST(ProxyHelper, NarrowsLocallyWhenItCanAndAsksRemotelyOtherwise)
{
    SRefPtr<IManagedService::IStubHelper> helper(LumoCommentaryService_HelperFactory().createHelper());
    EXPECT_EQ(helper->narrowStub(nullptr), nullptr);
    EXPECT_EQ(helper->narrowStub(CORBA::Object::_nil()), nullptr);

    // An address where nothing listens: a remote call fails at once.
    CORBA::Object_var object = OrbServices::orb()->string_to_object("corbaloc::127.0.0.1:1/NoSuchObject");
    LumoCommentaryService_var typed = LumoCommentaryService::_unchecked_narrow(object);
    EXPECT_NE(dynamic_cast<lumo_idl::LumoCommentaryServiceStub*>(typed.in()), nullptr) << "the system's stub class";
    CORBA::Object* narrowed = nullptr;
    ASSERT_NO_THROW(narrowed = helper->narrowStub(typed.in())) << "no remote call may be made";
    EXPECT_EQ(narrowed, static_cast<CORBA::Object*>(typed.in()));
    helper->releaseStub(narrowed);
    EXPECT_EQ(narrowed, nullptr);
    EXPECT_FALSE(CORBA::is_nil(typed)) << "the caller's own reference is untouched";
    EXPECT_THROW(helper->narrowStub(object.in()), CORBA::TRANSIENT);
}
