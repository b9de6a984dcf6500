' A two-row table of fixed lengths, grown with ReDim Preserve; With.
Dim grid(), e, i
ReDim grid(1, 4)
i = 0
For Each e In clcOto
    grid(i Mod 2, i \ 2) = e.prmFX
    i = i + 1
Next
trace UBound(grid, 1), UBound(grid, 2), grid(0, 0), grid(1, 4)
ReDim Preserve grid(1, 5)
grid(1, 5) = "x"
trace UBound(grid, 2), grid(0, 4), grid(1, 5)
With curOto
    .prmFX = .prmFX + 10
    trace .ALS, .prmFX
End With
