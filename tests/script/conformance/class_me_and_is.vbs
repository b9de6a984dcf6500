' Objects that point at each other: Me handed out, compared with Is.
Class Node
    Public Value, NextNode
    Public Function Link(other)
        Set NextNode = other
        Set Link = Me
    End Function
    Public Function Length()
        If IsObject(NextNode) Then
            If Not NextNode Is Nothing Then
                Length = 1 + NextNode.Length()
                Exit Function
            End If
        End If
        Length = 1
    End Function
End Class
Dim first, n, e, prev
Set prev = Nothing
For Each e In clcOto
    Set n = New Node
    n.Value = e.ALS
    If Not prev Is Nothing Then prev.Link n
    If prev Is Nothing Then Set first = n
    Set prev = n
Next
trace first.Length(), first.Value, first.NextNode.Value, first.Link(first.NextNode) Is first, n Is first
