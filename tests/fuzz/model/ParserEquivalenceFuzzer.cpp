// The model's parse against RapidJSON's iterative and (on shallow texts, where
// it cannot exhaust the stack) recursive parsers: the same verdicts and documents.
// And the model's streaming response reader against the document reader it
// replaced: both read the same members and comments from every text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/JsonSupport.h"
#include "tests/fuzz/support/DocumentResponseReader.h"
#include "tests/fuzz/support/FuzzInput.h"

namespace {

// An upper bound of the nesting depth (brackets in strings count too).
std::size_t bracketCount(const std::u16string& text)
{
    std::size_t count = 0;
    for (char16_t unit : text)
        if (unit == u'[' || unit == u'{') ++count;
    return count;
}

constexpr std::size_t kMaxRecursiveDepth = 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = lumo_fuzz::utf16Units(data, size);
    lumo_json::Document iterative;
    iterative.Parse<rapidjson::kParseIterativeFlag>(text.c_str());
    const lumo_json::Document model = lumo_json::parse(text.c_str());
    lumo_fuzz::require(iterative.HasParseError() ? model.IsNull()
                                                 : lumo_json::write(model) == lumo_json::write(iterative),
                       "the model's parse differs from the iterative parse");

    if (bracketCount(text) <= kMaxRecursiveDepth) {
        lumo_json::Document recursive;
        recursive.Parse<rapidjson::kParseDefaultFlags>(text.c_str());
        lumo_fuzz::require(recursive.HasParseError() == iterative.HasParseError(), "the parsers disagree on validity");
        if (!recursive.HasParseError())
            lumo_fuzz::require(lumo_json::write(recursive) == lumo_json::write(iterative),
                               "the parsers built different documents");
    }
    lumo_fuzz::require(lumo_fuzz::readByModel(text) == lumo_fuzz::readByDocument(text),
                       "the response reader differs from the document reader");
    lumo_fuzz::requireNoJsonAssertion();
    return 0;
}
