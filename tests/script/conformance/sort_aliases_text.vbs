' Aliases sorted without regard to case, by a simple exchange sort.
Dim names(), e, i, j, t
ReDim names(clcOto.Count - 1)
For Each e In clcOto
    names(i) = e.ALS
    i = i + 1
Next
names(0) = "KA3"
For i = 0 To UBound(names) - 1
    For j = i + 1 To UBound(names)
        If StrComp(names(i), names(j), vbTextCompare) > 0 Then
            t = names(i): names(i) = names(j): names(j) = t
        End If
    Next
Next
trace Join(names, "|")
