' A recursive function over a string, and an early Exit Function.
Function CountKana(s)
    If Len(s) = 0 Then
        CountKana = 0
        Exit Function
    End If
    CountKana = CountKana(Mid(s, 2)) - (AscW(Left(s, 1)) >= &H3041 And AscW(Left(s, 1)) <= &H3096)
End Function
Dim e, total
For Each e In clcOto
    total = total + CountKana(e.ALS & e.FIL)
Next
trace "kana:", total
