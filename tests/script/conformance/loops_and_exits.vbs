' Looking for the first long preutterance; loops of every kind.
Dim i, found, n
i = 1: found = 0
Do Until i > clcOto.Count
    If clcOto(i).prmPR > 100 Then found = i: Exit Do
    i = i + 1
Loop
trace "first PR > 100 at", found, clcOto(found).ALS
n = 0
Do
    n = n + 1
Loop While n < 5
i = 0
While i < 3
    i = i + 1
Wend
trace n, i
