// Response, sort parameter and qualifier objects by name, and the failures
// the objects choose themselves with their descriptions.
function failure(e) { return (e.number >>> 0).toString(16) + " " + e.description; }
function show(name, r, text) {
    r.Init(text);
    WScript.Echo(name + ": " + r.StatusCode + " [" + r.Description + "] " + r.ResponseType);
}
var fixedError = '{"responseType":5,"description":"Comment-Request validation failed: ' +
                 'Invalid comment parameter(s) set","errorCode":"CMNTRY 011","statusCode":-1}';
var kinds = [["AddCommentSuccessResponse", 1], ["DeleteCommentSuccessResponse", 4], ["ModifyCommentSuccessResponse", 3]];
for (var i = 0; i < kinds.length; i++) {
    var r = new ActiveXObject("CorvelEnterprise14." + kinds[i][0] + ".1");
    try { r.StatusCode; } catch (e) { WScript.Echo(kinds[i][0] + " before Init: " + failure(e)); }
    show(kinds[i][0], r, '{"statusCode":0,"description":"success","responseType":' + kinds[i][1] + '}');
}
show("ModifyCommentSuccessResponse given an error text", r, fixedError);
var err = new ActiveXObject("CorvelEnterprise14.CommentErrorResponse.1");
show("CommentErrorResponse", err, fixedError);
WScript.Echo("ErrorCode [" + err.ErrorCode + "]");

var g = new ActiveXObject("CorvelEnterprise14.GetCommentSuccessResponse.1");
show("GetCommentSuccessResponse", g, '{"statusCode":0,"description":"found","responseType":2,"comments":[' +
     '{"commentId":4,"text":"first","hidden":true},{"commentId":5}]}');
for (var j = 0; j < g.get_Count(); j++) {
    var c = g.get_Comment(j);
    WScript.Echo("get_Comment(" + j + "): " + c.CommentId + " [" + c.Text + "] " + c.Hidden);
}
g.get_Comment(1).Text = "written through one view";
WScript.Echo("read through another: " + g.get_Comment(1).Text);
try { g.get_Comment(2); } catch (e) { WScript.Echo("get_Comment(2): " + failure(e)); }

var s = new ActiveXObject("CorvelEnterprise14.SortParam.1");
WScript.Echo("new SortParam: " + s.SortAttribute + " " + s.SortOrder);
s.SortAttribute = 7;   // outside the enumeration: stored as given
s.SortOrder = 1;       // SORTORDER_DESCENDING
WScript.Echo("SortAttribute: " + s.SortAttribute + ", SortOrder: " + s.SortOrder);
var q = new ActiveXObject("CorvelEnterprise14.CommentQualifier.1");
WScript.Echo("new CommentQualifier: " + q.CommentQualifierAttribute + " [" + q.CommentQualifierValue + "]");
q.CommentQualifierValue = "top 10";
WScript.Echo("CommentQualifierValue: [" + q.CommentQualifierValue + "]");
c = new ActiveXObject("CorvelEnterprise14.Comment.1");
c.Hidden = 1;          // automation turns the number into True before the call
WScript.Echo("Hidden after 1: " + c.Hidden);
try { new ActiveXObject("CorvelEnterprise.Comment"); } catch (e) { WScript.Echo("version-independent ProgID: " + failure(e)); }
