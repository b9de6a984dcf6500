' A property that checks what it is given, and a terminator.
Class Offset
    Private mValue
    Public Property Get Value()
        Value = mValue
    End Property
    Public Property Let Value(v)
        If v < 0 Then Err.Raise 5, "Offset", "negative offset"
        mValue = v
    End Property
    Private Sub Class_Terminate()
        trace "terminated", mValue
    End Sub
End Class

Dim o
Set o = New Offset
o.Value = curOto.prmOV + 0.5
trace o.Value
On Error Resume Next
o.Value = -1
trace Err.Number, Err.Description, Err.Source, o.Value
On Error GoTo 0
Set o = Nothing
trace "done"
