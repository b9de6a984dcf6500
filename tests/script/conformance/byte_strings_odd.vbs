' Byte strings may hold an odd number of bytes; & joins them byte by byte,
' as binary data is built in VBScript.
Dim b, s, i
b = ChrB(65)
trace LenB(b), Len(b), AscB(b)
b = b & ChrB(66)
trace LenB(b), Len(b), AscW(b), Hex(AscW(b))
trace LenB(MidB("abc", 2)), AscB(MidB("abc", 2)), LenB(LeftB("abc", 3)), LenB(RightB("abc", 3))
s = ""
For i = 1 To 5
    s = s & ChrB(64 + i)
Next
trace LenB(s), Len(s), AscB(MidB(s, 5, 1)), AscB(RightB(s, 1)), InStrB(s, ChrB(67))
s = s & ChrB(70)
trace LenB(s), Len(s), s
