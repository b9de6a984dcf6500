// Averages and extremes of the preutterance, to the hundredth.
var sum = 0, n = 0, min = Infinity, max = -Infinity, minAls = "", maxAls = "";
var e = new Enumerator(env.clcoto);
for (; !e.atEnd(); e.moveNext()) {
    var pr = e.item().prmPR;
    sum += pr;
    n++;
    if (pr < min) { min = pr; minAls = e.item().ALS; }
    if (pr > max) { max = pr; maxAls = e.item().ALS; }
}
trace("entries", n);
trace("mean", (sum / n).toFixed(2));
trace("min", min, minAls);
trace("max", max, maxAls);
