' Used lengths summed exactly in Currency, shown three ways.
Dim e, total, n
total = CCur(0)
For Each e In clcOto
    If e.prmRT < 0 Then
        total = total - CCur(e.prmRT)
        n = n + 1
    End If
Next
trace n, total, FormatCurrency(total), FormatNumber(total / n, 2), FormatPercent(n / clcOto.Count, 0)
