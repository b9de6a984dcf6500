' Me.Member inside a class reaches its Private members too; from outside
' they stay hidden.
Class Counter
    Private count
    Private Sub Bump(n)
        count = count + n
    End Sub
    Public Sub Add(n)
        Me.Bump n
        Me.count = Me.count * 10
    End Sub
    Public Property Get Total()
        Total = Me.count
    End Property
    Private Sub Class_Initialize()
        Me.count = 0
    End Sub
End Class
Dim c
Set c = New Counter
c.Add 2
c.Add 3
trace c.Total
On Error Resume Next
trace c.count
trace Err.Number
