' A new entry added at the end, the first one removed.
Dim o, n
Set o = newObj("oto")
o.FIL = "n.wav"
o.ALS = "n2"
o.prmLF = 25
clcOto.Add o
n = clcOto.Count
trace n, clcOto(n).ALS, clcOto(n).prmLF, TypeName(o)
clcOto.Remove 1
trace clcOto.Count, clcOto(1).ALS
