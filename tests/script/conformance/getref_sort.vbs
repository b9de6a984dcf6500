' Sorting the entries with a comparison chosen by GetRef.
Function ByPreutterance(a, b)
    ByPreutterance = a.prmPR - b.prmPR
End Function
Function ByAlias(a, b)
    ByAlias = StrComp(a.ALS, b.ALS)
End Function
Sub SortEntries(arr, compare)
    Dim i, j, tmp
    For i = 1 To UBound(arr)
        Set tmp = arr(i)
        j = i - 1
        Do While j >= 0
            If compare(arr(j), tmp) <= 0 Then Exit Do
            Set arr(j + 1) = arr(j)
            j = j - 1
        Loop
        Set arr(j + 1) = tmp
    Next
End Sub
Dim list(), e, n, i, out
ReDim list(clcOto.Count - 1)
n = 0
For Each e In clcOto
    Set list(n) = e
    n = n + 1
Next
SortEntries list, GetRef("ByPreutterance")
out = ""
For i = 0 To 2
    out = out & list(i).ALS & "=" & list(i).prmPR & " "
Next
trace Trim(out)
SortEntries list, GetRef("ByAlias")
trace list(0).ALS, list(UBound(list)).ALS, TypeName(GetRef("ByAlias"))
