// Arrays of the host are read with VBArray and Sample, as on Windows.
var a = arraytest();
var v = new VBArray(a);
trace(v.lbound(), v.ubound(), v.toArray().join("+"), Sample(a, 1), typeof a);
var w = newObj("wave");
trace(w.Valid, w.Length, new VBArray(w.getData()).ubound());
try {
    Sample(a, 5);
} catch (e) {
    trace("sample", e.number, e.message);
}
var o = newObj("abc");
trace(o === null);
