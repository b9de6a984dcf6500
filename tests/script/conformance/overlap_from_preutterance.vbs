' Overlap at most a third of the preutterance, to a tenth of a ms.
Dim e, changed, ovs(), i
changed = 0
For Each e In clcOto
    If e.prmOV > e.prmPR / 3 Then
        e.prmOV = Round(e.prmPR / 3, 1)
        changed = changed + 1
    End If
Next
ReDim ovs(clcOto.Count - 1)
For i = 1 To clcOto.Count
    ovs(i - 1) = clcOto(i).prmOV
Next
trace "changed", changed
trace Join(ovs, " ")
