' Aliases taken apart and put together again.
Dim e, parts, out
For Each e In clcOto
    parts = Split(e.ALS, " ")
    If UBound(parts) = 1 Then
        out = out & parts(1) & "<" & parts(0) & "> "
    Else
        out = out & UCase(e.ALS) & " "
    End If
Next
trace RTrim(out)
trace Replace("a-a-a-a", "-", "+", 1, 2), Replace("abcabc", "b", "", 3), InStrRev("ka.wav.bak", "."), StrReverse("oto"), "[" & Space(2) & String(3, "*") & "]"
trace Mid(clcOto(2).FIL, 2, 3), Left("sample", 3) & Right("sample", 3), Len(Trim("  x  ")), LCase("ABC") = "abc", StrComp("a", "A", vbTextCompare)
