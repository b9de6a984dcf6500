// Pitch suffix for a multi-pitch bank: every alias gets "_C4", numbered
// duplicates ("ka2") lose their number first.
var clc = env.clcoto;
for (var i = 1; i <= clc.count(); i++) {
    var o = clc(i);
    o.als = o.als.replace(/\d+$/, "") + "_C4";
}
var out = [];
for (const o of clc)
    out.push(o.als);
trace(out.join(","));
trace(clcOto(8).fileStr());
