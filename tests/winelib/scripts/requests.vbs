' The six request objects through real automation (VBScript), filled as a
' report application's script fills them.  Prints what it checks; the test
' compares the whole output.
Option Explicit
On Error Resume Next

Dim c, kind, r, g, s, q, v, d
Set c = CreateObject("CorvelEnterprise14.Comment.1")
c.SourceCUID = "doc-1"
For Each kind In Array("Add", "Get", "Modify", "Delete", "Hide", "Duplicate")
    Set r = CreateObject("CorvelEnterprise14." & kind & "CommentRequest.1")
    WScript.Echo kind & ": " & TypeName(r) & ", RequestType " & r.RequestType & ", no comment " & _
                 (r.Comment Is Nothing) & ", ToJSON [" & r.ToJSON & "]"
    ' Comment is a plain property put in the type library (no putref): the
    ' object is given by assignment without Set.
    r.Comment = c
Next
c.Text = "set after storing"
WScript.Echo "the request holds the comment itself: " & r.Comment.Text

Set g = CreateObject("CorvelEnterprise14.GetCommentRequest.1")
Set s = CreateObject("CorvelEnterprise14.SortParam.1")
s.SortAttribute = 1
s.SortOrder = 1
g.AddSortParam s
g.AddSortParam s
Set q = CreateObject("CorvelEnterprise14.CommentQualifier.1")
q.CommentQualifierValue = "top 10"
g.AddCommentQualifier q
WScript.Echo "SortParamCount " & g.SortParamCount & ", CommentQualifierCount " & g.CommentQualifierCount
' A script passes only Variants by reference: the typed out-parameter of
' GetSortParam is out of its reach (type mismatch).
g.GetSortParam 0, v
WScript.Echo "GetSortParam: Err.Number " & Err.Number & ", " & TypeName(v)
Err.Clear

Set r = CreateObject("CorvelEnterprise14.HideCommentRequest.1")
r.Add 5
r.Add -1
WScript.Echo "Hide Add: Err.Number " & Err.Number
Set d = CreateObject("CorvelEnterprise14.DuplicateCommentRequest.1")
WScript.Echo "TargetDocumentCUID at creation [" & d.TargetDocumentCUID & "]"
d.TargetDocumentCUID = "doc-2"
WScript.Echo "TargetDocumentCUID [" & d.TargetDocumentCUID & "]"
