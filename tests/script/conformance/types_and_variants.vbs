' What each parameter's value is, as VBScript types it.
Dim e
Set e = clcOto(2)
trace TypeName(e), TypeName(e.prmLF), TypeName(e.ALS), VarType(e.prmLF), TypeName(clcOto), IsObject(e)
trace TypeName(e.prmLF * 2), TypeName(CInt(e.prmLF)), TypeName(CLng(e.prmLF)), TypeName(CSng(e.prmLF)), TypeName(CStr(e.prmLF)), CStr(e.prmLF)
trace IsNumeric(e.ALS), IsNumeric(e.prmLF), IsEmpty(e.ALS), IsNull(Null & ""), TypeName(Null & ""), TypeName(CDate(e.prmLF))
