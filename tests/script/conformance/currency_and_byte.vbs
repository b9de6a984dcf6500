' Currency keeps four decimals, rounding halves to even; Byte is 0 to 255.
Dim total, e
total = CCur(0)
For Each e In clcOto
    total = total + CCur(e.prmLF / 3)
Next
trace TypeName(total), total
trace CCur(1.03125), CCur(1.09375), CCur(-2.50026), CCur("12.34567")
trace TypeName(CCur(1) + 1), TypeName(CCur(1) * 1.5), TypeName(CCur(1) / 2), TypeName(CByte(200) + CByte(100)), CByte(200) + CByte(100)
trace CByte(254.5), CByte("7"), TypeName(CByte(1) + 1), VarType(CCur(1)), VarType(CByte(1))
On Error Resume Next
x = CByte(256)
trace Err.Number, Err.Description
Err.Clear
x = CCur("abc")
trace Err.Number, Err.Description
