' The usual consistency checks, one line per entry that fails one.
Dim e, i, problems
clcOto(3).prmOV = 90
clcOto(9).prmFX = 100
clcOto(1).prmRT = -100
i = 0
For Each e In clcOto
    i = i + 1
    problems = ""
    If e.prmOV > e.prmPR Then problems = problems & " overlap>preutterance"
    If e.prmFX < e.prmPR Then problems = problems & " fixed<preutterance"
    If e.prmRT < 0 And -e.prmRT < e.prmFX Then problems = problems & " cutoff inside fixed"
    If Len(problems) > 0 Then trace i, e.ALS & ":" & problems
Next
trace "checked", i
