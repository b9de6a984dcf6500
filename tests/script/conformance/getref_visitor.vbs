' A visitor class that calls back through GetRef for every entry.
Class Walker
    Public Sub Walk(callback)
        Dim e
        For Each e In clcOto
            callback e
        Next
    End Sub
End Class
Dim longest, total
longest = ""
Sub Visit(e)
    total = total + 1
    If Len(e.ALS) > Len(longest) Then longest = e.ALS
End Sub
Dim w
Set w = New Walker
w.Walk GetRef("Visit")
trace total, longest
