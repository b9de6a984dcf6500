' VCV aliases: strip the vowel before the space and count the bases.
Dim re, e, base, counts, k, out
Set re = New RegExp
re.Pattern = "^([-aiueon]|ka|sa) "
Set counts = CreateObject("Scripting.Dictionary")
For Each e In clcOto
    base = re.Replace(e.ALS, "")
    If re.Test(e.ALS) Then counts(base) = counts(base) + 1
Next
For Each k In counts.Keys
    out = out & k & "=" & counts(k) & ";"
Next
trace out, counts.Count
