// A report for another tool: the plain CV entries as JSON, by left bound.
var list = [];
for (const o of env.clcOto)
    if (o.ALS.indexOf(" ") < 0)
        list.push({ alias: o.ALS, file: o.FIL, offset: o.prmLF, consonant: o.prmFX });
list.sort(function (a, b) { return a.offset - b.offset; });
trace(JSON.stringify(list));
