// The current entry is the collection's entry itself.
var c = env.curOto;
trace(c.ALS, c === clcOto(1), curoto.FIL === clcOto(1).FIL);
c.ALS = "- あ2";
c.prmPR = c.prmPR + 0.5;
trace(clcOto(1).fileStr());
trace(clcOto(1).dispStr());
