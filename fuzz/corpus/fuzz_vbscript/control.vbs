Const LIMIT = 10
i = 0
Do While i < LIMIT: i = i + 1: Loop
Do: i = i - 2: Loop Until i <= 0
While i < 3: i = i + 1: Wend
For j = 10 To 1 Step -2.5
  Select Case j
  Case 1, 2: s = s & "low"
  Case 3 To 6: s = s & "mid"
  Case Is > 8: s = s & "high"
  Case Else: s = s & "?"
  End Select
Next
If s = "" Then trace "empty" Else trace s, Len(s), Mid(s, 2, 3), InStr(s, "mid"), Replace(s, "h", "H", 2, 1)
trace 1 + 2 * 3 ^ 2 \ 4 Mod 3 & "x", Not True Or False Xor True Eqv False Imp True, -2 ^ 2
trace Hex(-1), Round(2.5), CLng("&HFF"), Int(-1.5), Fix(-1.5), 0.1 + 0.2, 1E+300 * 1, Split("a b c")(1)
