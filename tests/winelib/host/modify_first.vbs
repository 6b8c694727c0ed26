' Modifies the first comment of a fixed document, adding one when it has none;
' prints what the server answered, the comment's id replaced by <id>.
Function Request(kind, comment)
    Set Request = CreateObject("CorvelEnterprise14." & kind & ".1")
    Set Request.Comment = comment
End Function
Dim comment, comments, response, id
Set comment = CreateObject("CorvelEnterprise14.Comment.1")
comment.SourceCUID = "host-authorization-document"
comment.Text = "first"
Set comments = CommentaryService.GetComment(Request("GetCommentRequest", comment))
If comments.get_Count() = 0 Then
    CommentaryService.AddComment Request("AddCommentRequest", comment)
    Set comments = CommentaryService.GetComment(Request("GetCommentRequest", comment))
End If
id = comments.get_Comment(0).CommentId
comment.CommentId = id
comment.Text = "changed"
Set response = CommentaryService.ModifyComment(Request("ModifyCommentRequest", comment))
If response.ResponseType = 5 Then
    WScript.Echo "5 " & response.StatusCode & " " & response.ErrorCode & " " & Replace(response.Description, CStr(id), "<id>")
Else
    WScript.Echo response.ResponseType & " " & response.StatusCode & " " & response.Description
End If
