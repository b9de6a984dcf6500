' Split with a count and a text compare, and Join back.
Dim parts, line
line = clcOto(2).FIL & "=" & clcOto(2).ALS & ",512.5,95,-380,70,25"
parts = Split(line, "=", 2)
trace UBound(parts), parts(0)
parts = Split(parts(1), ",")
trace UBound(parts), parts(0), parts(UBound(parts))
trace Join(Split("aXbxc", "x", -1, vbTextCompare), "-"), UBound(Split("")), Join(Split("a,,b", ","), "|")
