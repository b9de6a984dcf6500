' Asc and Chr speak the ANSI code page, which is the file charset's
' (Shift-JIS, code page 932, for this bank); AscW and ChrW speak Unicode.
trace Asc("A"), Asc("あ"), Hex(Asc("あ")), Asc("ｱ"), Asc("é"), Asc("abc")
trace AscW("あ"), AscW("é"), ChrW(12354), ChrW(233)
trace Chr(65), Chr(-32096), Chr(&H82A0), Chr(&HB1), Chr(&H815B)
On Error Resume Next
trace Chr(70000)
trace "Chr(70000):", Err.Number
Err.Clear
trace Asc("")
trace "Asc(""""):", Err.Number
