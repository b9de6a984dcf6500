' Numbers written as text: hex, octal, exponents and parsing.
trace Hex(255), Hex(-1), Oct(64), &HFF, &H10 + 1, CLng("&H7F"), 1E+20, 1.5E-7, 100000 * 100000
trace CDbl("1,5" = "1,5"), Val2("12.5ms"), "5" + 3, "5" & 3, 2 ^ 0.5
Function Val2(s)
    Dim i
    i = 1
    Do While i <= Len(s)
        If InStr("0123456789.", Mid(s, i, 1)) = 0 Then Exit Do
        i = i + 1
    Loop
    Val2 = CDbl(Left(s, i - 1))
End Function
