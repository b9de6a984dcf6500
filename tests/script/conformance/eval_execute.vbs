' Rules kept as text and run with Eval; code made at run time.
Dim rule, e, n
rule = "e.prmOV > 25"
n = 0
For Each e In clcOto
    If Eval(rule) Then n = n + 1
Next
trace "overlap > 25:", n
Execute "Function Twice(x)" & vbCrLf & "Twice = x * 2" & vbCrLf & "End Function"
trace Twice(21)
Sub Scale(factor)
    Dim v
    v = 10
    Execute "v = v * factor"
    trace "local", v, Eval("v + 1")
End Sub
Scale 3
ExecuteGlobal "Dim counter: counter = 5"
trace counter, Eval("counter = 5"), Eval("2 ^ 10")
On Error Resume Next
Execute "x = ("
trace Err.Number, Err.Description
