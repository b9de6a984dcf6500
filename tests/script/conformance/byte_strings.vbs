' The byte functions see a string as its UTF-16 bytes.
Dim s
s = clcOto(7).ALS
trace s, Len(s), LenB(s), AscB(s), AscB(MidB(s, 2, 1)), AscW("あ"), AscB("あ"), AscB(MidB("あ", 2, 1))
trace InStrB(s, "a"), InStrB("abc", "c"), LenB(LeftB("abcd", 4)), RightB("abcd", 2)
