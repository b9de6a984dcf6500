' Fixed and dynamic arrays: Erase, bounds and IsArray.
Dim fixed(2), dyn(), i
For i = 0 To 2
    fixed(i) = clcOto(i + 1).prmLF
Next
ReDim dyn(1, 2)
dyn(1, 2) = "corner"
trace IsArray(fixed), UBound(fixed), fixed(2), UBound(dyn, 1), UBound(dyn, 2), dyn(1, 2)
Erase fixed
Erase dyn
trace UBound(fixed), IsEmpty(fixed(0)), IsArray(dyn)
On Error Resume Next
i = UBound(dyn)
trace Err.Number, Err.Description
