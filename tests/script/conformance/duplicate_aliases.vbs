' Aliases that occur twice, compared without regard to case.
Dim seen, e, dups, o
Set o = newObj("oto")
o.FIL = "ka.wav": o.ALS = "KA": o.prmLF = 41
clcOto.Add o
Set seen = CreateObject("Scripting.Dictionary")
seen.CompareMode = vbTextCompare
dups = ""
For Each e In clcOto
    If seen.Exists(e.ALS) Then
        dups = dups & e.ALS & " (first at " & seen(e.ALS) & ") "
    Else
        seen.Add e.ALS, seen.Count + 1
    End If
Next
trace Trim(dups), seen.Count
