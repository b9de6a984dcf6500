// How many entries of each kind: VCV ("a か"), CV ("- あ") and the rest.
var counts = {};
var clc = env.clcOto;
for (var i = 1; i <= clc.Count(); i++) {
    var als = clc(i).ALS;
    var kind = /^- /.test(als) ? "CV" : /^[a-z] /.test(als) ? "VCV" : "other";
    counts[kind] = (counts[kind] || 0) + 1;
}
var keys = Object.keys(counts).sort();
for (var k = 0; k < keys.length; k++)
    trace(keys[k], counts[keys[k]]);
