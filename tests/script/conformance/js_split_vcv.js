// The vowel and consonant-vowel of each VCV alias, as a table.
var rows = [];
for (const o of env.clcoto) {
    var m = /^([a-z]) (.+)$/.exec(o.ALS);
    if (m)
        rows.push(m[1] + "\t" + m[2] + "\t" + o.FIL);
}
trace(rows.join("\n"));
trace(rows.length + " of " + env.clcoto.count());
