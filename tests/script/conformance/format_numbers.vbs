' The number formats, with the "C" locale's separators.
Dim e, sum
sum = 0
For Each e In clcOto
    sum = sum + e.prmLF
Next
trace FormatNumber(sum), FormatNumber(sum, 0), FormatNumber(1234567.891, 2), FormatNumber(-0.5, 2, False), FormatNumber(-1234.5, 1, vbUseDefault, vbTrue), FormatNumber(1234.5, 2, vbTrue, vbFalse, vbFalse)
trace FormatPercent(0.256), FormatPercent(1 / 3, 1), FormatCurrency(1234.5), FormatNumber(0.125, 2), FormatNumber(2.5, 0), FormatNumber("7")
