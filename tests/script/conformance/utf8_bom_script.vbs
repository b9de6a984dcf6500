' UTF-8 で、印つき
Dim e, n
For Each e In clcOto
    If InStr(e.ALS, "さ") > 0 Then n = n + 1
Next
trace "さ:", n
