' With nobody to answer, boxes take their defaults.
Dim r, s
r = MsgBox("Continue?", vbYesNo + vbQuestion + vbDefaultButton2, "Check")
s = InputBox("New alias?", "Rename", curOto.ALS & "!")
trace r = vbNo, s, vbMsgBox("Done", vbOKCancel, "Lirra")
