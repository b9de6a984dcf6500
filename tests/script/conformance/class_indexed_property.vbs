' An indexed property pair, a default function and a private helper.
Class ParamTable
    Private values(4)
    Private Function Clamp(v)
        If v < 0 Then v = 0
        Clamp = v
    End Function
    Public Property Get Param(i)
        Param = values(i)
    End Property
    Public Property Let Param(i, v)
        values(i) = Clamp(v)
    End Property
    Public Default Function Describe()
        Describe = Join(values, "/")
    End Function
End Class
Dim t, e
Set t = New ParamTable
Set e = curOto
t.Param(0) = e.prmLF
t.Param(1) = e.prmOV
t.Param(2) = e.prmPR
t.Param(3) = e.prmFX
t.Param(4) = e.prmRT
trace t.Param(4), t.Describe(), t
On Error Resume Next
x = t.Clamp(1)
trace Err.Number
