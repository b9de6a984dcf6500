' A small library given as text: a class and a function.
Dim lib
lib = "Class Counter" & vbLf & "Public N" & vbLf & "Public Sub Bump(): N = N + 1: End Sub" & vbLf & "End Class" & vbLf & _
      "Function Greet(name): Greet = ""hello "" & name: End Function"
ExecuteGlobal lib
Dim c, e
Set c = New Counter
For Each e In clcOto
    If Left(e.FIL, 1) = "_" Then c.Bump
Next
trace Greet("oto"), c.N
