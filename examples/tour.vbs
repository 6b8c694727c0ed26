' A tour of the commentary service from VBScript.
'
' Run by the host program (scripts/tour.sh), which binds the service object to
' a logged-on session and makes it visible as CommentaryService; WScript.Echo
' prints a line.
Option Explicit

Const ProgIdPrefix = "CorvelEnterprise14."
Const SortByLastModified = 0, SortByCreation = 1
Const Ascending = 0, Descending = 1
Const QualifierTop = 0

Dim doc, copyDoc
Randomize
doc = "quarterly-report-" & Year(Now) & "-" & CStr(Int(Rnd * 1000000))
copyDoc = doc & "-copy"

Function NewObject(name)
    Set NewObject = CreateObject(ProgIdPrefix & name & ".1")
End Function

Function NewComment(sourceId, text)
    Dim c
    Set c = NewObject("Comment")
    c.SourceCUID = sourceId
    c.Text = text
    Set NewComment = c
End Function

Sub AddComment(text, reportId)
    Dim request, comment, response
    Set comment = NewComment(doc, text)
    comment.LogicalReportId = reportId
    comment.AppName = "Tour"
    Set request = NewObject("AddCommentRequest")
    Set request.Comment = comment
    Set response = CommentaryService.AddComment(request)
    WScript.Echo "Added """ & text & """: status " & response.StatusCode & ", " & response.Description
End Sub

Function GetComments(sourceId, sortAttribute, sortOrder, top, includeHidden)
    Dim request, comment, sortParam, qualifier
    Set comment = NewComment(sourceId, "")
    If includeHidden Then comment.Hidden = True
    Set request = NewObject("GetCommentRequest")
    Set request.Comment = comment
    Set sortParam = NewObject("SortParam")
    sortParam.SortAttribute = sortAttribute
    sortParam.SortOrder = sortOrder
    request.AddSortParam sortParam
    If top > 0 Then
        Set qualifier = NewObject("CommentQualifier")
        qualifier.CommentQualifierAttribute = QualifierTop
        qualifier.CommentQualifierValue = CStr(top)
        request.AddCommentQualifier qualifier
    End If
    Set GetComments = CommentaryService.GetComment(request)
End Function

Sub ShowComments(title, response)
    Dim i, c, flag
    WScript.Echo title & ": " & response.get_Count() & " comment(s)"
    For i = 0 To response.get_Count() - 1
        Set c = response.get_Comment(i)
        flag = ""
        If c.Hidden Then flag = " [hidden]"
        WScript.Echo "  #" & c.CommentId & "  " & c.CreationTimeStampAsString & "  " & c.Text & flag
    Next
End Sub

Function IdAt(response, index)
    IdAt = response.get_Comment(index).CommentId
End Function

WScript.Echo "Document " & doc

AddComment "Revenue up 4% on last quarter", "rpt-revenue"
AddComment "Check the currency conversion in row 12", "rpt-revenue"
AddComment "Headcount figures confirmed by HR", "rpt-people"
AddComment "Draft: numbers still provisional", "rpt-people"

Dim all
Set all = GetComments(doc, SortByCreation, Ascending, 0, False)
ShowComments "Oldest first", all
ShowComments "Newest first", GetComments(doc, SortByCreation, Descending, 0, False)
ShowComments "The two most recently changed", GetComments(doc, SortByLastModified, Descending, 2, False)

Dim modify, changed
Set changed = NewComment(doc, "Revenue up 4.2% on last quarter (restated)")
changed.CommentId = IdAt(all, 0)
Set modify = NewObject("ModifyCommentRequest")
Set modify.Comment = changed
WScript.Echo "Modified #" & changed.CommentId & ": " & CommentaryService.ModifyComment(modify).Description

Dim hide
Set hide = NewObject("HideCommentRequest")
Set hide.Comment = NewComment(doc, "")
hide.Add IdAt(all, 1)
hide.Add IdAt(all, 3)
WScript.Echo "Hid #" & IdAt(all, 1) & " and #" & IdAt(all, 3) & ": " & CommentaryService.HideComments(hide).Description
ShowComments "Visible now", GetComments(doc, SortByCreation, Ascending, 0, False)
ShowComments "Including hidden", GetComments(doc, SortByCreation, Ascending, 0, True)

Dim duplicate
Set duplicate = NewObject("DuplicateCommentRequest")
Set duplicate.Comment = NewComment(doc, "")
duplicate.TargetDocumentCUID = copyDoc
WScript.Echo "Duplicated into " & copyDoc & ": " & CommentaryService.DuplicateComments(duplicate).Description
ShowComments "The copy", GetComments(copyDoc, SortByCreation, Ascending, 0, True)

Dim remove, gone
Set gone = NewComment(doc, "")
gone.CommentId = IdAt(all, 2)
Set remove = NewObject("DeleteCommentRequest")
Set remove.Comment = gone
WScript.Echo "Deleted #" & gone.CommentId & ": " & CommentaryService.DeleteComment(remove).Description
ShowComments "After the delete", GetComments(doc, SortByCreation, Ascending, 0, True)

WScript.Echo "An add request without text is refused before it leaves the module:"
Dim invalid, refused
Set invalid = NewObject("AddCommentRequest")
Set invalid.Comment = NewComment(doc, "")
Set refused = CommentaryService.AddComment(invalid)
WScript.Echo "  response type " & refused.ResponseType & ", status " & refused.StatusCode & ", error " & _
    refused.ErrorCode & ": " & refused.Description
