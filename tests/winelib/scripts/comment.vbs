' A comment object as a report application's script uses it.
Option Explicit

Dim c
Set c = CreateObject("CorvelEnterprise14.Comment.1")
WScript.Echo TypeName(c) & ": " & c.CommentId & " [" & c.Text & "] " & c.Hidden & " " & c.CreationTimeStamp
WScript.Echo "ToJSON: " & c.ToJSON

c.CommentId = 42
c.SourceCUID = "doc-1"
c.OwnerCUID = "owner-1"
c.Text = "Quarterly figures look fine"
c.UserName = "ann"
c.LastModifiedUserCuid = "cuid-9"
c.LastModifiedUserName = "name-9"
c.AppName = "Reports"
c.OptionKey4 = "k4"
c.CreationTimeStamp = "1700000000000"
c.LastModifiedTimestamp = "not a number"
c.Hidden = True
WScript.Echo c.CommentId & " " & c.SourceCUID & " [" & c.Text & "] " & c.Hidden
WScript.Echo "timestamps: " & c.CreationTimeStamp & " " & c.LastModifiedTimestamp & " / " & _
             c.CreationTimeStampAsString & " / " & c.LastModifiedTimestampAsString
WScript.Echo "ToJSON: " & c.ToJSON

c.FromJSON "{""commentId"":7,""text"":""from json""}"
WScript.Echo "after FromJSON: " & c.CommentId & " / " & c.Text
c.FromJSON "this is not json"
WScript.Echo "after bad FromJSON: " & c.CommentId & " / " & c.Text

' A class that clients cannot create: it has no ProgID.
On Error Resume Next
Dim r
Set r = CreateObject("CorvelEnterprise14.HideCommentSuccessResponse.1")
WScript.Echo "HideCommentSuccessResponse: Err.Number " & Err.Number
Err.Clear
c.NoSuchProperty = 1
WScript.Echo "unknown member: Err.Number " & Err.Number & ", Err.Description [" & Err.Description & "]"
