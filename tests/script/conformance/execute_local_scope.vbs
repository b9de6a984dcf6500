' Execute inside a procedure declares variables of that call: they are gone
' when it returns, and each call starts afresh. Only ExecuteGlobal makes
' globals.
Sub MakeLocal()
    Execute "Dim hidden : hidden = 7"
    trace "inside", hidden, Eval("hidden * 2")
    Execute "made = hidden + 1"
    trace "implicit", Eval("made")
End Sub
MakeLocal
trace "outside", IsEmpty(hidden), IsEmpty(made)
Sub Count()
    Execute "Dim n : n = 1"
    Execute "n = n + 1"
    trace "n", n
End Sub
Count
Count
Sub MakeGlobal()
    ExecuteGlobal "Dim shared : shared = 9"
End Sub
MakeGlobal
trace "global", shared
