// Recordings that carry more than one alias, with their aliases.
var byFile = {};
for (var e = new Enumerator(env.clcoto); !e.atEnd(); e.moveNext()) {
    var o = e.item();
    (byFile[o.FIL] = byFile[o.FIL] || []).push(o.ALS);
}
for (var f in byFile)
    if (byFile[f].length > 1)
        trace(f + ": " + byFile[f].join(" | "));
