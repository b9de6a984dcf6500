' FormatDateTime's five forms.
Dim d
d = DateSerial(2024, 3, 5) + TimeSerial(14, 7, 0)
trace FormatDateTime(d), FormatDateTime(d, vbLongDate), FormatDateTime(d, vbShortDate), FormatDateTime(d, vbLongTime), FormatDateTime(d, vbShortTime)
trace CDate("March 5, 2024") = DateSerial(2024, 3, 5), DateValue("5 Mar 2024 10:00") = DateSerial(2024, 3, 5), TimeValue("14:07") = TimeSerial(14, 7, 0)
trace DateAdd("h", 12, d), DateDiff("n", d, DateSerial(2024, 3, 6)), DatePart("h", d), DatePart("w", d, vbMonday)
