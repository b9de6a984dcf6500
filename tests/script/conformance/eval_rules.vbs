' Rules typed by the user, evaluated where the entry's values are locals.
Function Check(e, rule)
    Dim lf, ov
    lf = e.prmLF: ov = e.prmOV
    Check = Eval(rule)
End Function
Dim rules, r, e, hits
rules = Array("lf > 500", "ov <= 15", "lf > 100 And ov > 30")
For Each r In rules
    hits = 0
    For Each e In clcOto
        If Check(e, r) Then hits = hits + 1
    Next
    trace r, "->", hits
Next
