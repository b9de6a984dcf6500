' Renaming aliases by a table, then listing what changed.
Dim table, e, changed, k
Set table = CreateObject("Scripting.Dictionary")
table.CompareMode = vbTextCompare
table.Add "KA", "か"
table.Add "sa", "さ"
table.Add "n", "ん"
changed = 0
For Each e In clcOto
    If table.Exists(e.ALS) Then
        e.ALS = table(e.ALS)
        changed = changed + 1
    End If
Next
trace "renamed", changed
For Each k In table
    tracenl k & ">" & table.Item(k) & ";"
Next
trace
trace clcOto(7).ALS, clcOto(8).ALS, clcOto(9).ALS, clcOto(10).ALS
table.Remove "sa"
trace table.Count, Join(table.Keys, ","), Join(table.Items, ",")
