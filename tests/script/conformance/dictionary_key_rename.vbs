' Counting entries per WAV file, then renaming one of the keys.
Dim seen, e, k, out
Set seen = CreateObject("Scripting.Dictionary")
For Each e In clcOto
    k = Left(e.FIL, InStr(e.FIL, ".") - 1)
    seen(k) = seen(k) + 1
Next
seen.Key("ka") = "ka_cv"
out = ""
For Each k In seen.Keys
    out = out & k & ":" & seen(k) & " "
Next
trace RTrim(out)
trace seen.Exists("ka"), seen.Exists("ka_cv"), seen.Count
On Error Resume Next
seen.Key("sa") = "n"
trace Err.Number, Err.Description
