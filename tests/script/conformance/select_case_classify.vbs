' What the right bound of each entry means.
Dim e, kind, out
For Each e In clcOto
    Select Case True
        Case e.prmRT < 0: kind = "length"
        Case e.prmRT = 0: kind = "end"
        Case Else: kind = "cutoff"
    End Select
    Select Case LCase(Right(e.FIL, 4))
        Case ".wav", ".wave": out = out & e.ALS & ":" & kind & vbLf
        Case Else: out = out & "?"
    End Select
Next
trace out
