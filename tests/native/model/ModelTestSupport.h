#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/LumoCommentaryService_Nexa_API.h"

namespace model_test {

inline std::string utf8(const SWCharString& text) { return text.toUtf8(); }
inline SWCharString wide(const std::string& utf8Text) { return SWCharString::fromUtf8(utf8Text); }

inline std::string commentJson(const lumocommentaryservice_nexa_api::Comment& comment)
{
    lumo_json::Document document;
    document.SetObject();
    comment.toJSON(document, document.GetAllocator());
    return lumoUtf16ToUtf8(lumo_json::write(document));
}

// No RapidJSON assertion may fire: the model tests each member's type first.
class NoJsonAssertions : public ::testing::Environment {
public:
    void SetUp() override { m_before = lumo_json::assertionCount(); }
    void TearDown() override { EXPECT_EQ(lumo_json::assertionCount(), m_before) << "a RapidJSON assertion fired"; }

private:
    uint64_t m_before = 0;
};
inline ::testing::Environment* const g_noJsonAssertions = ::testing::AddGlobalTestEnvironment(new NoJsonAssertions);

}  // namespace model_test
