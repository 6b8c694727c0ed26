// A short C++ client of the commentary module: log on, bind the service
// object to a session, add a comment and read the document's comments back.
//
//   wine cpp_client.exe.so --naming corbaloc::127.0.0.1:PORT/NameService
//        --token-secret-file data/token-secret DOCUMENT "comment text"
//
// The module must be registered in the Wine prefix (regsvr32) and its folder
// be on WINEDLLPATH; scripts/tour.sh shows the set-up.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "host/CHostSession.h"
#include "module/LumoCommentary.h"
#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"
#include "service/object/ISInternalService.h"

namespace {

template <class Interface>
HRESULT Create(const char16_t* progId, REFIID iid, ScopedComPtr<Interface>& out)
{
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, out.ReceiveVoid());
}

std::string Utf8(BSTR text) { return text ? SWCharString(text).toUtf8() : std::string(); }

bool Check(HRESULT hr, const char* what)
{
    if (SUCCEEDED(hr)) return true;
    std::fprintf(stderr, "cpp_client: %s failed (0x%08X)\n", what, static_cast<unsigned>(hr));
    return false;
}

// Binds a new service object to a session of the logged-on user.
bool Connect(ScopedComPtr<ISLumoCommentaryService>& service)
{
    CHostSession::Settings settings;
    settings.logonToken = SessionManager::getServerSession()->getLogonToken();
    ScopedComPtr<ISHostSession> session(CHostSession::Create(settings));
    ScopedComPtr<ISInternalService> binding;
    return Check(Create(u"CorvelEnterprise14.LumoCommentaryService.1", IID_ISLumoCommentaryService, service),
                 "creating the service") &&
           Check(service.QueryInterface(IID_ISInternalService, binding), "asking for ISInternalService") &&
           Check(binding->SetCOMSession(session.Get()), "SetCOMSession") &&
           Check(binding->SetImplPointers(u"cpp_client", u""), "SetImplPointers");
}

bool AddComment(ISLumoCommentaryService* service, const SWCharString& document, const SWCharString& text)
{
    // A request object answers its own interface, which serves wherever an
    // ISCommentRequest is expected (it derives from it).
    ScopedComPtr<ISComment> comment;
    ScopedComPtr<ISAddCommentRequest> request;
    ScopedComPtr<ISCommentResponse> response;
    if (!Check(Create(u"CorvelEnterprise14.Comment.1", IID_ISComment, comment), "creating a comment") ||
        !Check(Create(u"CorvelEnterprise14.AddCommentRequest.1", IID_ISAddCommentRequest, request),
               "creating an add request"))
        return false;
    ScopedBstr source(document.c_str()), body(text.c_str());
    comment->put_SourceCUID(source.Get());
    comment->put_Text(body.Get());
    request->put_Comment(comment.Get());
    if (!Check(service->AddComment(request.Get(), response.Receive()), "AddComment")) return false;
    if (!response) {
        std::fprintf(stderr, "cpp_client: the commentary service could not be reached\n");
        return false;
    }
    LONG status = 0;
    ScopedBstr description;
    response->get_StatusCode(&status);
    response->get_Description(description.Receive());
    std::printf("add: status %d, %s\n", static_cast<int>(status), Utf8(description.Get()).c_str());
    return status == 0;
}

bool ListComments(ISLumoCommentaryService* service, const SWCharString& document)
{
    ScopedComPtr<ISComment> comment;
    ScopedComPtr<ISGetCommentRequest> request;
    ScopedComPtr<ISCommentResponse> response;
    ScopedComPtr<ISGetCommentSuccessResponse> comments;
    if (!Check(Create(u"CorvelEnterprise14.Comment.1", IID_ISComment, comment), "creating a comment") ||
        !Check(Create(u"CorvelEnterprise14.GetCommentRequest.1", IID_ISGetCommentRequest, request),
               "creating a get request"))
        return false;
    ScopedBstr source(document.c_str());
    comment->put_SourceCUID(source.Get());
    request->put_Comment(comment.Get());
    if (!Check(service->GetComment(request.Get(), response.Receive()), "GetComment") || !response) return false;
    if (FAILED(response.QueryInterface(IID_ISGetCommentSuccessResponse, comments))) {
        ScopedBstr description;
        response->get_Description(description.Receive());
        std::fprintf(stderr, "cpp_client: get failed: %s\n", Utf8(description.Get()).c_str());
        return false;
    }
    int count = 0;
    comments->get_Count(&count);
    std::printf("%d comment(s) on %s\n", count, document.toUtf8().c_str());
    for (int i = 0; i < count; ++i) {
        ScopedComPtr<ISComment> item;
        if (FAILED(comments->get_Comment(i, item.Receive()))) continue;
        LONG id = 0;
        ScopedBstr text, created;
        item->get_CommentId(&id);
        item->get_Text(text.Receive());
        item->get_CreationTimeStampAsString(created.Receive());
        std::printf("  #%d  %s  %s\n", static_cast<int>(id), Utf8(created.Get()).c_str(), Utf8(text.Get()).c_str());
    }
    return true;
}

std::string ReadSecret(const char* path)
{
    std::ifstream in(path);
    std::string secret;
    std::getline(in, secret);
    return secret;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string naming, secret, user = "cpp-client";
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        const std::string option = argv[i];
        if (option == "--naming") naming = argv[i + 1];
        else if (option == "--token-secret-file") secret = ReadSecret(argv[i + 1]);
        else if (option == "--user") user = argv[i + 1];
    }
    if (argc - i != 2 || secret.empty()) {
        std::fprintf(stderr, "usage: cpp_client --naming REF --token-secret-file FILE [--user NAME] DOCUMENT TEXT\n");
        return 2;
    }
    const SWCharString document = SWCharString::fromUtf8(argv[i]);
    const SWCharString text = SWCharString::fromUtf8(argv[i + 1]);

    if (!naming.empty()) {
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = naming;
        FrameworkSettings::setCurrent(settings);
    }
    try {
        SessionManager::logon(SWCharString::fromUtf8(user), secret);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cpp_client: logon failed: %s\n", e.what());
        return 1;
    }

    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    bool ok = false;
    {
        ScopedComPtr<ISLumoCommentaryService> service;
        ok = Connect(service) && AddComment(service.Get(), document, text) && ListComments(service.Get(), document);
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
