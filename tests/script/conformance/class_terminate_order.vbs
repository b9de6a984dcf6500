' Class_Initialize and Class_Terminate run as objects come and go.
Class Tracker
    Public Name
    Private Sub Class_Initialize()
        Name = "?"
        trace "init"
    End Sub
    Private Sub Class_Terminate()
        trace "bye " & Name
    End Sub
End Class
Sub UseOne()
    Dim t
    Set t = New Tracker
    t.Name = "local"
End Sub
Dim a, b
Set a = New Tracker
a.Name = "a"
Set b = a
Set a = Nothing
trace "b still holds it:", b.Name
Set b = Nothing
UseOne
trace "end"
