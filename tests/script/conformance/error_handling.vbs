' Errors caught where they happen, raised with our own numbers.
Function SafeRatio(a, b)
    On Error Resume Next
    SafeRatio = a / b
    If Err.Number <> 0 Then
        SafeRatio = Null
        Err.Clear
    End If
End Function
Dim e, r, bad
bad = 0
For Each e In clcOto
    r = SafeRatio(e.prmPR, e.prmOV - e.prmOV)
    If IsNull(r) Then bad = bad + 1
Next
trace "undefined ratios", bad
On Error Resume Next
Err.Raise vbObjectError + 42, "checker", "entry out of range"
trace Err.Number - vbObjectError, Err.Source, Err.Description
Err.Clear
trace Err.Number, Len(Err.Description)
x = clcOto(99).ALS
trace Err.Number, Err.Description
