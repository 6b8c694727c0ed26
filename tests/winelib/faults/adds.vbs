' Adds kAdds comments "add-1", "add-2", ... to the document kDoc one after
' the other, as a report script would, and prints one line per call:
' "<n> <milliseconds> ok", "<n> <milliseconds> none" (no response object) or
' "<n> <milliseconds> error <StatusCode> <ErrorCode>".  fault_test.sh puts
' Option Explicit and the two constants in front of it.
Dim i, comment, request, response, started, took, outcome
For i = 1 To kAdds
    Set comment = CreateObject("CorvelEnterprise14.Comment.1")
    comment.SourceCUID = kDoc
    comment.Text = "add-" & i
    Set request = CreateObject("CorvelEnterprise14.AddCommentRequest.1")
    Set request.Comment = comment
    started = Timer
    Set response = CommentaryService.AddComment(request)
    took = Timer - started
    If took < 0 Then took = took + 86400
    If response Is Nothing Then
        outcome = "none"
    ElseIf response.ResponseType = 5 Then
        outcome = "error " & response.StatusCode & " " & response.ErrorCode
    Else
        outcome = "ok"
    End If
    WScript.Echo i & " " & CLng(took * 1000) & " " & outcome
Next
