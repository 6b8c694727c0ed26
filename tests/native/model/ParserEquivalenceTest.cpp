// On every seed of the parser-equivalence fuzz target the model builds the
// default parser's document, or a null root where that parser fails, and its
// streaming response reader reads what the document reader it replaced reads.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/fuzz/support/DocumentResponseReader.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "tests/native/model/ModelTestSupport.h"

TEST(ModelParse, AgreesWithTheDefaultParserOnEverySeed)
{
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(LUMO_PARSER_EQUIVALENCE_SEEDS)) {
        std::stringstream bytes;
        bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        const std::string data = bytes.str();
        const std::u16string text = lumo_fuzz::utf16Units(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        lumo_json::Document recursive;
        recursive.Parse<rapidjson::kParseDefaultFlags>(text.c_str());
        const lumo_json::Document model = lumo_json::parse(text.c_str());
        if (recursive.HasParseError())
            EXPECT_TRUE(model.IsNull()) << entry.path();
        else
            EXPECT_EQ(lumo_json::write(model), lumo_json::write(recursive)) << entry.path();
        EXPECT_EQ(lumo_fuzz::readByModel(text), lumo_fuzz::readByDocument(text)) << entry.path();
        ++seeds;
    }
    EXPECT_GT(seeds, 70);
}

TEST(ModelParse, NullTextsEmbeddedNulAndDeepNesting)
{
    EXPECT_TRUE(lumo_json::parse(nullptr).IsNull());
    EXPECT_EQ(lumo_json::write(lumo_json::parse(std::u16string(u"{\"a\":1}\0garbage", 15).c_str())), u"{\"a\":1}");
    const lumo_json::Document deep =
        lumo_json::parse(model_test::wide(std::string(1000000, '[') + std::string(1000000, ']')).c_str());
    ASSERT_TRUE(deep.IsArray());
    EXPECT_EQ(deep.Size(), 1u);
}
