' The clock's values have the types VBScript gives them.
Dim t
t = Now
trace TypeName(Now), TypeName(Date), TypeName(Time), TypeName(Timer), Date <= Now, Year(t) >= 2024, DateDiff("s", t, DateAdd("s", 90, t)), Int(CDbl(t)) = CDbl(Date)
