' Per-file statistics kept in a class, one instance per WAV file.
Class FileStats
    Public Name
    Private mCount, mTotal
    Private Sub Class_Initialize()
        mCount = 0
        mTotal = 0
    End Sub
    Public Sub AddEntry(e)
        mCount = mCount + 1
        mTotal = mTotal + e.prmPR
    End Sub
    Public Property Get Count()
        Count = mCount
    End Property
    Public Property Get MeanPreutterance()
        If mCount = 0 Then
            MeanPreutterance = 0
        Else
            MeanPreutterance = mTotal / mCount
        End If
    End Property
End Class

Dim stats, e, key, s
Set stats = CreateObject("Scripting.Dictionary")
For Each e In env.clcOto
    If Not stats.Exists(e.FIL) Then
        Set s = New FileStats
        s.Name = e.FIL
        stats.Add e.FIL, s
    End If
    stats(e.FIL).AddEntry e
Next
For Each key In stats.Keys
    Set s = stats(key)
    trace s.Name, s.Count, FormatNumber(s.MeanPreutterance, 1)
Next
