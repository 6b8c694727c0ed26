// Every response class on any text (the first byte picks the class).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/LumoCommentaryService_Nexa_API.h"
#include "tests/fuzz/support/FuzzInput.h"

using namespace lumocommentaryservice_nexa_api;

namespace {

std::unique_ptr<DefaultCommentResponse> makeResponse(uint8_t kind, const SWCharString& text)
{
    switch (kind % 8) {
    case 0: return std::make_unique<DefaultCommentResponse>(text);
    case 1: return std::make_unique<AddCommentSuccessResponse>(text);
    case 2: return std::make_unique<GetCommentSuccessResponse>(text);
    case 3: return std::make_unique<ModifyCommentSuccessResponse>(text);
    case 4: return std::make_unique<DeleteCommentSuccessResponse>(text);
    case 5: return std::make_unique<ErrorResponse>(text);
    case 6: return std::make_unique<HideCommentSuccessResponse>(text);
    default: return std::make_unique<DuplicateCommentSuccessResponse>(text);
    }
}

void checkCommonMembersRoundTrip(const CommentResponse& response)
{
    const DefaultCommentResponse copy(response.getStatusCode(), response.getDescription(), response.getResponseType());
    const DefaultCommentResponse back(copy.toJSON());
    lumo_fuzz::require(back.getStatusCode() == response.getStatusCode(), "status code changed");
    lumo_fuzz::require(back.getDescription() == response.getDescription(), "description changed");
    lumo_fuzz::require(back.getResponseType() == response.getResponseType(), "response type changed");
}

void checkComments(const GetCommentSuccessResponse& response)
{
    lumo_fuzz::require(response.toJSON().isEmpty(), "a get response wrote JSON");
    for (std::size_t i = 0; i < response.getCommentCount(); ++i) {
        const std::shared_ptr<Comment> comment = response.getComment(i);
        lumo_fuzz::require(comment != nullptr, "a listed comment is missing");
        lumo_json::Document document;
        document.SetObject();
        comment->addToDocument(document);
    }
    lumo_fuzz::require(response.getComment(response.getCommentCount()) == nullptr, "index past the end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const SWCharString text(lumo_fuzz::utf16Units(data + 1, size - 1));
    const std::unique_ptr<DefaultCommentResponse> response = makeResponse(data[0], text);

    checkCommonMembersRoundTrip(*response);
    if (const auto* error = dynamic_cast<const ErrorResponse*>(response.get())) error->getErrorCode();
    if (const auto* get = dynamic_cast<const GetCommentSuccessResponse*>(response.get()))
        checkComments(*get);
    else
        response->toJSON();
    lumo_fuzz::requireNoJsonAssertion();
    return 0;
}
