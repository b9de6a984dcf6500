' Weeks, weekday and month names, and dates across the epoch.
Dim d, i, names
d = DateSerial(2024, 12, 31)
trace DatePart("ww", d), DatePart("y", d), DateDiff("ww", DateSerial(2024, 1, 1), d), DateDiff("w", DateSerial(2024, 1, 1), d)
For i = 1 To 7
    names = names & WeekdayName(i, True) & " "
Next
trace RTrim(names), WeekdayName(1, False, vbMonday), MonthName(12)
trace CDbl(DateSerial(1899, 12, 29)), DateSerial(1899, 12, 29) + TimeSerial(6, 0, 0), CDbl(DateSerial(1899, 12, 29) + TimeSerial(6, 0, 0))
trace Weekday(DateSerial(2024, 3, 5), vbMonday), Year(0), Month(1), Day(-1)
