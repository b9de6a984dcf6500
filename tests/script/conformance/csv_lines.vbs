' The first three entries as CSV, quotes doubled.
Function Csv(s)
    Csv = """" & Replace(s, """", """""") & """"
End Function
Dim e, lines(), i
ReDim lines(2)
i = 0
For Each e In clcOto
    If i > 2 Then Exit For
    lines(i) = Csv(e.ALS) & "," & Csv(e.FIL) & "," & FormatNumber(e.prmLF, 3, vbTrue, vbFalse, vbFalse)
    i = i + 1
Next
trace Join(lines, vbLf)
trace Csv("say ""hi""")
