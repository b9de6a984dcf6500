// The entries in alias order (code unit order), without changing the bank.
var all = [];
for (var i = 1; i <= clcOto.count(); i++)
    all.push(clcOto(i));
all.sort(function (a, b) { return a.ALS < b.ALS ? -1 : a.ALS > b.ALS ? 1 : 0; });
var names = all.map(function (o) { return o.ALS; });
trace(names.join(" / "));
trace(clcOto(1).ALS);
