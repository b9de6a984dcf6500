' Dates read from text in the forms people write them.
trace CDate("2024-03-05"), CDate("3/5/2024"), CDate("5 March 2024"), CDate("March 5, 2024 2:30 PM")
trace IsDate("12:30"), IsDate("25:00"), IsDate(""), TypeName(CDate("10:15"))
trace DateValue("2024/03/05 23:59:59"), TimeValue("2024/03/05 23:59:59"), CDate(45356.5)
