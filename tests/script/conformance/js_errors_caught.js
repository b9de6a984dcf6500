// Errors of the host are JScript errors with VBScript's numbers.
function attempt(what, f) {
    try {
        f();
        trace(what, "ok");
    } catch (e) {
        trace(what, e.number, e.message);
    }
}
attempt("item 99", function () { return clcOto(99).ALS; });
attempt("member", function () { return curOto.nothere; });
attempt("remove 0", function () { clcOto.Remove(0); });
attempt("add text", function () { clcOto.Add("ka"); });
attempt("saveoto outside", function () { saveoto("../elsewhere.ini"); });
attempt("count", function () { return clcOto.Count(); });
trace("still", clcOto.Count());
