// A walk by position sees the entries as they are at each step: nothing
// read before the script changed an entry, or the collection, is shown
// after it.
var clc = env.clcOto;
var seen = [];
for (var i = 1; i <= clc.count(); i++)
    seen.push(clc(i).ALS);
trace(seen.length, seen[0], seen[9], clc(4) === clc.item(4), clc(4) === clc(5));
var before = clc.item(4).ALS;
clc.item(4).ALS = "changed";
trace(before, clc.item(4).ALS, clc(4).ALS, clc.item(5).ALS);
clc(6).prmLF = clc(6).prmLF + 1;
trace(clc(6).prmLF, clc.item(6).fileStr());
// Removing as the walk goes: count() in the condition follows.
var removed = 0;
for (var i = 1; i <= clc.count(); i++) {
    if (clc(i).ALS.indexOf("a ") === 0) {
        clc.Remove(i);
        i--;
        removed++;
    }
}
var left = [];
for (var i = 1; i <= clc.count(); i++)
    left.push(clc(i).ALS);
trace(removed, clc.count(), left.join("|"));
// Past the end after a walk: the collection's own error.
try {
    clc(clc.count() + 1);
    trace("no error");
} catch (e) {
    trace(e.number);
}
