' Filter over the aliases, Escape and Unescape, colours and the engine.
Dim names(), e, i
ReDim names(clcOto.Count - 1)
i = 0
For Each e In clcOto
    names(i) = e.ALS
    i = i + 1
Next
trace Join(Filter(names, "ka"), ",")
trace Join(Filter(names, "a", False), ",")
trace UBound(Filter(names, "KA", True, vbTextCompare)), UBound(Filter(names, "zz"))
trace Escape("a か/b c+d"), Unescape("%u3042%20%41"), Unescape(Escape(names(1))) = names(1)
trace RGB(255, 128, 0), Hex(RGB(1, 2, 3)), RGB(300, 0, 0)
trace ScriptEngine, ScriptEngineMajorVersion & "." & ScriptEngineMinorVersion
