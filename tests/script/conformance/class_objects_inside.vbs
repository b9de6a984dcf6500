' A report class holding a range object, exchanged through Property Set.
Class Range
    Public Low, High
    Public Sub Include(v)
        If IsEmpty(Low) Then
            Low = v: High = v
        Else
            If v < Low Then Low = v
            If v > High Then High = v
        End If
    End Sub
    Public Function Text()
        Text = Low & ".." & High
    End Function
End Class
Class Report
    Private mLeft
    Public Title
    Private Sub Class_Initialize()
        Set mLeft = New Range
        Title = "report"
    End Sub
    Public Property Get LeftRange()
        Set LeftRange = mLeft
    End Property
    Public Property Set LeftRange(r)
        Set mLeft = r
    End Property
End Class
Dim rep, e, other
Set rep = New Report
For Each e In clcOto
    rep.LeftRange.Include e.prmLF
Next
trace rep.Title, rep.LeftRange.Text()
Set other = New Range
other.Include 5
Set rep.LeftRange = other
trace rep.LeftRange.Text(), rep.LeftRange Is other, TypeName(rep.LeftRange)
On Error Resume Next
rep.mLeft = 1
trace Err.Number
