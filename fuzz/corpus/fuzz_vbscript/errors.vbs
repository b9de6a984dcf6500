On Error Resume Next
Dim a(2, 3), b()
a(1, 2) = 1 / 0
trace Err.Number, Err.Description, Err.Source
Err.Clear
ReDim b(2): ReDim Preserve b(5): Erase b
x = CInt("40000"): y = Null + 1: z = "a" * 2
Err.Raise vbObjectError + 1, "src", "desc"
On Error GoTo 0
trace Sample(getData(), 1), Data(2), TypeName(getData()), UBound(getData())
Data(1) = Array(1, "x", Empty, Nothing)
Function f(ByVal n, ByRef r)
  If n <= 0 Then f = r: Exit Function
  r = r & n: f = f(n - 1, r)
End Function
trace f(5, q), q
