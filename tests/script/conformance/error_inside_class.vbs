' An error inside a method stops the script at the method's line.
Class Divider
    Public Function Ratio(a, b)
        Ratio = a / b
    End Function
End Class
Dim d
Set d = New Divider
trace d.Ratio(curOto.prmPR, 2)
trace d.Ratio(1, curOto.prmOV - curOto.prmOV)
trace "not reached"
