' Arguments by reference and by value.
Sub Widen(ByRef a, ByVal b)
    a = a + 10
    b = b + 10
End Sub
Dim x, y, e
x = 1: y = 1
Widen x, y
trace x, y
Set e = clcOto(3)
Widen e.prmOV, 0
trace e.prmOV
Widen (x), y
trace x
