Option Explicit
Dim d, re, m, k, s
Set d = CreateObject("Scripting.Dictionary")
d.CompareMode = vbTextCompare
d.Add "ka", 1: d("Sa") = 2: d.Item(3) = "three"
If d.Exists("KA") Then d.Remove "ka"
For Each k In d.Keys: s = s & k & "=" & d(k) & ";": Next
Set re = New RegExp
re.Pattern = "(\w)(\d+)": re.Global = True: re.IgnoreCase = True
For Each m In re.Execute("a1 B22 c333")
  s = s & m.Value & m.FirstIndex & m.SubMatches(1)
Next
trace re.Replace(s, "$2-$1"), re.Test("x"), d.Count, Join(d.Items, ",")
With d: .RemoveAll: trace .Count: End With
