// An overlap longer than a third of the preutterance blurs the consonant:
// shorten those to a third, to the hundredth, and say which.
var fixed = [];
for (var i = 1; i <= clcOto.count(); i++) {
    var o = clcOto(i);
    if (o.prmOV > o.prmPR / 3) {
        fixed.push(o.ALS + " " + o.prmOV + ">" + o.prmPR);
        o.prmOV = Math.round(o.prmPR / 3 * 100) / 100;
    }
}
trace(fixed.length ? fixed.join("; ") : "nothing to fix");
trace(clcOto(1).fileStr());
trace(clcOto(9).fileStr());
trace(clcOto(10).fileStr());
