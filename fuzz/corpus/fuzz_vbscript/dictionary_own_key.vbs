Set d = CreateObject("Scripting.Dictionary")
d(d) = 1
