// A tour of the commentary service from JScript: the same steps as tour.vbs.
//
// Run by the host program (scripts/tour.sh --js), which binds the service
// object to a logged-on session and makes it visible as CommentaryService;
// WScript.Echo prints a line.

var progIdPrefix = "CorvelEnterprise14.";
var SORT_BY_LAST_MODIFIED = 0, SORT_BY_CREATION = 1;
var ASCENDING = 0, DESCENDING = 1;
var QUALIFIER_TOP = 0;

var doc = "quarterly-report-js-" + new Date().getTime();
var copyDoc = doc + "-copy";

function newObject(name) {
    return new ActiveXObject(progIdPrefix + name + ".1");
}

function newComment(sourceId, text) {
    var c = newObject("Comment");
    c.SourceCUID = sourceId;
    c.Text = text;
    return c;
}

function addComment(text, reportId) {
    var comment = newComment(doc, text);
    comment.LogicalReportId = reportId;
    comment.AppName = "Tour";
    var request = newObject("AddCommentRequest");
    request.Comment = comment;
    var response = CommentaryService.AddComment(request);
    WScript.Echo("Added \"" + text + "\": status " + response.StatusCode + ", " + response.Description);
}

function getComments(sourceId, sortAttribute, sortOrder, top, includeHidden) {
    var comment = newComment(sourceId, "");
    if (includeHidden) comment.Hidden = true;
    var request = newObject("GetCommentRequest");
    request.Comment = comment;
    var sortParam = newObject("SortParam");
    sortParam.SortAttribute = sortAttribute;
    sortParam.SortOrder = sortOrder;
    request.AddSortParam(sortParam);
    if (top > 0) {
        var qualifier = newObject("CommentQualifier");
        qualifier.CommentQualifierAttribute = QUALIFIER_TOP;
        qualifier.CommentQualifierValue = String(top);
        request.AddCommentQualifier(qualifier);
    }
    return CommentaryService.GetComment(request);
}

function showComments(title, response) {
    WScript.Echo(title + ": " + response.get_Count() + " comment(s)");
    for (var i = 0; i < response.get_Count(); i++) {
        var c = response.get_Comment(i);
        WScript.Echo("  #" + c.CommentId + "  " + c.CreationTimeStampAsString + "  " + c.Text +
                     (c.Hidden ? " [hidden]" : ""));
    }
}

function idAt(response, index) {
    return response.get_Comment(index).CommentId;
}

WScript.Echo("Document " + doc);

addComment("Revenue up 4% on last quarter", "rpt-revenue");
addComment("Check the currency conversion in row 12", "rpt-revenue");
addComment("Headcount figures confirmed by HR", "rpt-people");
addComment("Draft: numbers still provisional", "rpt-people");

var all = getComments(doc, SORT_BY_CREATION, ASCENDING, 0, false);
showComments("Oldest first", all);
showComments("Newest first", getComments(doc, SORT_BY_CREATION, DESCENDING, 0, false));
showComments("The two most recently changed", getComments(doc, SORT_BY_LAST_MODIFIED, DESCENDING, 2, false));

var changed = newComment(doc, "Revenue up 4.2% on last quarter (restated)");
changed.CommentId = idAt(all, 0);
var modify = newObject("ModifyCommentRequest");
modify.Comment = changed;
WScript.Echo("Modified #" + changed.CommentId + ": " + CommentaryService.ModifyComment(modify).Description);

var hide = newObject("HideCommentRequest");
hide.Comment = newComment(doc, "");
hide.Add(idAt(all, 1));
hide.Add(idAt(all, 3));
WScript.Echo("Hid #" + idAt(all, 1) + " and #" + idAt(all, 3) + ": " + CommentaryService.HideComments(hide).Description);
showComments("Visible now", getComments(doc, SORT_BY_CREATION, ASCENDING, 0, false));
showComments("Including hidden", getComments(doc, SORT_BY_CREATION, ASCENDING, 0, true));

var duplicate = newObject("DuplicateCommentRequest");
duplicate.Comment = newComment(doc, "");
duplicate.TargetDocumentCUID = copyDoc;
WScript.Echo("Duplicated into " + copyDoc + ": " + CommentaryService.DuplicateComments(duplicate).Description);
showComments("The copy", getComments(copyDoc, SORT_BY_CREATION, ASCENDING, 0, true));

var gone = newComment(doc, "");
gone.CommentId = idAt(all, 2);
var remove = newObject("DeleteCommentRequest");
remove.Comment = gone;
WScript.Echo("Deleted #" + gone.CommentId + ": " + CommentaryService.DeleteComment(remove).Description);
showComments("After the delete", getComments(doc, SORT_BY_CREATION, ASCENDING, 0, true));

WScript.Echo("An add request without text is refused before it leaves the module:");
var invalid = newObject("AddCommentRequest");
invalid.Comment = newComment(doc, "");
var refused = CommentaryService.AddComment(invalid);
WScript.Echo("  response type " + refused.ResponseType + ", status " + refused.StatusCode + ", error " +
             refused.ErrorCode + ": " + refused.Description);
