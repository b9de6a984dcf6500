// A mistake in the middle of a script: what ran before is written, then
// the report names the line.
var done = 0;
for (const o of env.clcOto)
    done++;
trace("walked", done);
var missing = clcOto(done + 1).ALS;
trace("never");
