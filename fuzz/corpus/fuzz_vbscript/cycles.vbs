Class N
Public o
Private Sub Class_Terminate()
env.trace "t"
End Sub
End Class
Set a = New N: Set b = New N: Set a.o = b: Set b.o = a
Set e = CreateObject("Scripting.Dictionary"): e.Add 1, Array(e)
env.Data(1) = e
Set r = GetRef("f")
Function f(x): f = x: End Function
