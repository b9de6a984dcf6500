' A growing list with a default property and methods that return Me.
Class AliasList
    Private items()
    Private n
    Private Sub Class_Initialize()
        n = 0
        ReDim items(4)
    End Sub
    Public Function Add(text)
        If n > UBound(items) Then ReDim Preserve items(n * 2)
        items(n) = text
        n = n + 1
        Set Add = Me
    End Function
    Public Default Property Get Item(i)
        Item = items(i)
    End Property
    Public Property Get Count()
        Count = n
    End Property
    Public Function ToText(sep)
        Dim parts(), i
        ReDim parts(n - 1)
        For i = 0 To n - 1
            parts(i) = items(i)
        Next
        ToText = Join(parts, sep)
    End Function
End Class

Dim list, e
Set list = New AliasList
For Each e In clcOto
    If InStr(e.ALS, " ") > 0 Then list.Add Mid(e.ALS, InStr(e.ALS, " ") + 1)
Next
list.Add("x").Add "y"
trace list.Count, list(0), list.Item(5), list.ToText(","), TypeName(list)
