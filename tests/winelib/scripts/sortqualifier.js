// Sort parameters and comment qualifiers through real automation (JScript):
// created by ProgID, properties set and read back by name.  Prints what it
// checks; the test compares the whole output.
var s = new ActiveXObject("CorvelEnterprise14.SortParam.1");
s.SortAttribute = 1;   // SORTATTRIBUTE_CREATIONTIME
s.SortOrder = 1;       // SORTORDER_DESCENDING
WScript.Echo("SortAttribute: " + s.SortAttribute + ", SortOrder: " + s.SortOrder);
s.SortAttribute = 7;   // outside the enumeration: stored as given
WScript.Echo("SortAttribute: " + s.SortAttribute);

var q = new ActiveXObject("CorvelEnterprise14.CommentQualifier.1");
WScript.Echo("CommentQualifierValue: [" + q.CommentQualifierValue + "]");
q.CommentQualifierValue = "top 10";
q.CommentQualifierAttribute = 0;
WScript.Echo("CommentQualifierAttribute: " + q.CommentQualifierAttribute +
             ", CommentQualifierValue: [" + q.CommentQualifierValue + "]");

var c = new ActiveXObject("CorvelEnterprise14.Comment.1");
c.Hidden = 1;          // automation turns the number into True before the call
WScript.Echo("Hidden after 1: " + c.Hidden);
c.Hidden = true;
WScript.Echo("Hidden after true: " + c.Hidden);
try {
    var none = new ActiveXObject("CorvelEnterprise.Comment");
    WScript.Echo("version-independent ProgID: created");
} catch (e) {
    WScript.Echo("version-independent ProgID: " + (e.number >>> 0).toString(16));
}
