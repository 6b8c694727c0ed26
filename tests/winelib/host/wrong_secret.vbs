' One add with whatever logon the host made; prints what the server answered
' (the error code only for an error response, which alone has one).
Dim comment, request, response
Set comment = CreateObject("CorvelEnterprise14.Comment.1")
comment.SourceCUID = "host-test-document"
comment.Text = "refused or not"
Set request = CreateObject("CorvelEnterprise14.AddCommentRequest.1")
Set request.Comment = comment
Set response = CommentaryService.AddComment(request)
If response.ResponseType = 5 Then
    WScript.Echo "5 " & response.StatusCode & " " & response.ErrorCode & " " & response.Description
Else
    WScript.Echo response.ResponseType & " " & response.StatusCode & " " & response.Description
End If
