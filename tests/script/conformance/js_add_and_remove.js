// A breath entry added from a copy of "n", then the old "n" removed.
var clc = env.clcOto;
var n = clc(clc.Count());
var o = newObj("oto");
o.FIL = n.FIL;
o.ALS = "br";
o.prmLF = n.prmLF + 5;
o.prmFX = n.prmFX;
o.prmRT = n.prmRT;
o.prmPR = n.prmPR;
o.prmOV = n.prmOV;
clc.Add(o);
trace(clc.Count(), clc(clc.Count()) === o, clc(1) === clc.item(1));
o.prmOV = 12.5;  // still the same object: the entry changes
trace(clc(clc.Count()).fileStr());
clc.Remove(clc.Count() - 1);
trace(clc.Count(), clc(clc.Count()).ALS, clc(clc.Count() - 1).ALS);
