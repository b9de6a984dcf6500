' Objects that refer to each other: the run frees them all when it ends
' (the sanitizer build checks that nothing leaks), and Class_Terminate
' still runs for an object let go of normally.
Class Node
    Public other, name
    Private Sub Class_Terminate()
        trace "bye", name
    End Sub
End Class
Dim d, e, a, b, lone
Set d = CreateObject("Scripting.Dictionary")
d(d) = 1
d.Add "me", d
Set e = CreateObject("Scripting.Dictionary")
e.Add "self", Array(e, d)
Set a = New Node: a.name = "a"
Set b = New Node: b.name = "b"
Set a.other = b
Set b.other = a
Set lone = New Node: lone.name = "lone"
Set lone.other = e
Set lone = Nothing
trace d.Count, e.Count, a.other.other.name
