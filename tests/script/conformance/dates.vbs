' Dates are day numbers from 30 December 1899.
Dim d
d = DateSerial(2024, 2, 28)
trace Year(d), Month(d), Day(d), Weekday(d), WeekdayName(Weekday(d)), MonthName(Month(d), True)
trace DateAdd("d", 2, d), DateAdd("m", 1, DateSerial(2024, 1, 31)), DateAdd("yyyy", -1, DateSerial(2024, 2, 29))
trace DateDiff("d", DateSerial(2024, 1, 1), d), DateDiff("m", DateSerial(2023, 12, 31), DateSerial(2024, 1, 1)), DateDiff("yyyy", DateSerial(2023, 12, 31), DateSerial(2024, 1, 1))
trace DatePart("y", d), DatePart("q", d), DatePart("ww", DateSerial(2024, 1, 7))
trace CDbl(DateSerial(1899, 12, 30)), CDbl(DateSerial(2000, 1, 1)), CLng(CDate("2024/03/05"))
trace TimeSerial(13, 5, 9), Hour(TimeSerial(25, 0, 0)), Minute("10:45:30"), Second(TimeValue("1:02:03 PM"))
trace DateSerial(2024, 14, 1), DateSerial(2024, 3, 0), TypeName(d), VarType(d)
trace IsDate("2024/02/30"), IsDate("2024/02/29"), IsDate("hello"), IsDate(d)
