' Left bounds snapped to 5 ms; VBScript's roundings side by side.
Function Snap(v, stepMs)
    Snap = Round(v / stepMs) * stepMs
End Function
Dim e, out
For Each e In clcOto
    out = out & Snap(e.prmLF, 5) & " "
Next
trace RTrim(out)
trace CInt(2.5), CInt(3.5), CLng(-2.5), Int(-0.5), Fix(-0.5), Round(0.125, 2), Round(-1.5), Abs(-0), Sgn(0.001)
