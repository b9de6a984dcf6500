// The recordings of one folder were cut 10 ms late: move their left
// bound, keeping the rest where it was (offsets are from the left bound).
var moved = 0;
for (const o of env.clcOto) {
    if (o.FIL.charAt(0) !== "_")
        continue;
    o.prmLF += 10;
    if (o.prmRT < 0)
        o.prmRT += 10;  // a negative right bound is measured from the left one
    moved++;
}
trace("moved", moved);
trace(clcOto(1).fileStr());
trace(clcOto(2).fileStr());
trace(clcOto(7).fileStr());
